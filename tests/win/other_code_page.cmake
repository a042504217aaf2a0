# The installer packed with accented payload names installs on a machine whose
# ANSI code page is not Windows-1252: under a Polish locale Wine takes code page
# 1250, where the byte of "è" is "č".  An intact installer must not look damaged
# there (exit code 3).
#   cmake "-DWINE_RUN=<wine-run command>" -DINSTALLER=<installer_accented.exe> -DWORK=<scratch>
#         -P other_code_page.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/locales)
execute_process(COMMAND localedef -i pl_PL -f UTF-8 ${WORK}/locales/pl_PL.UTF-8
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT EXISTS ${WORK}/locales/pl_PL.UTF-8/LC_CTYPE)
  message(FATAL_ERROR "localedef could not make the Polish locale (exit ${rc}):\n${out}")
endif()

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env LOCPATH=${WORK}/locales LC_ALL=pl_PL.UTF-8
          ${WINE_RUN} --prefix ${WORK}/prefix ${INSTALLER} /S /LOG=Z:${WORK}/journal.txt
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(READ ${WORK}/journal.txt journal)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the installer ended with ${rc} under code page 1250:\n${out}\n${journal}")
endif()

# The files are there.  The installer names files through the ANSI code page,
# so "modèle.txt" lands as "modčle.txt": which also shows that the run really
# had code page 1250, and not 1252, where the lookup never failed.
set(folder "${WORK}/prefix/drive_c/Program Files/Essai accentué")
set(source ${CMAKE_CURRENT_LIST_DIR}/fixtures/accented)
foreach(pair "été.txt|été.txt" "modèle.txt|modčle.txt")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 payload)
  list(GET pair 1 installed)
  if(NOT EXISTS "${folder}/${installed}")
    file(GLOB found "${folder}/*")
    message(FATAL_ERROR "${installed} is missing; the folder holds: ${found}")
  endif()
  file(SHA256 "${source}/${payload}" expected)
  file(SHA256 "${folder}/${installed}" got)
  if(NOT got STREQUAL expected)
    message(FATAL_ERROR "${installed} was installed with other bytes")
  endif()
endforeach()
