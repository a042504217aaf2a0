# mkinstall.exe under Wine packs the same installers, byte for byte, as the
# Linux tool, from a manifest of another application kept in a folder with
# accents, and says the same things in the same bytes.
#   cmake "-DWINE_RUN=<wine-run command>" -DMKINSTALL_EXE=... -DHOST_MKINSTALL=... -DSTUB_x86=... -DSTUB_x64=...
#         -DFAKE_SIGNER=<fake_signer.exe> -DSOURCE=<tests/tools> -DWORK=<scratch> -P windows_tool.cmake
file(REMOVE_RECURSE ${WORK})
set(app "${WORK}/Éditions Mérou")
file(COPY ${SOURCE}/other_app/ DESTINATION ${app})

# run(<exe or linux> expected_rc args...): the Windows tool gets its paths
# as Z:, the Linux one as they are.  `run_env` adds variables, `run_dir` sets
# the working folder.
function(run tool expected_rc)
  if(tool STREQUAL "exe")
    list(TRANSFORM ARGN REPLACE "^/" "Z:/")
    set(command ${CMAKE_COMMAND} -E env ${run_env} ${WINE_RUN} ${MKINSTALL_EXE} ${ARGN})
  else()
    set(command ${HOST_MKINSTALL} ${ARGN})
  endif()
  if(NOT run_dir)
    set(run_dir ${WORK})
  endif()
  execute_process(COMMAND ${command} WORKING_DIRECTORY ${run_dir} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "${command}: exit ${rc}, expected ${expected_rc}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_same a b what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${a} ${b} RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${what}: ${a} and ${b} differ")
  endif()
endfunction()

# --version: the same text with Unix line ends, naming both carried stubs.
run(linux 0 --version)
string(REGEX MATCH "^[^\n]*\n" version "${out}")
file(SIZE ${STUB_x86} x86_size)
file(SIZE ${STUB_x64} x64_size)
run(exe 0 --version)
if(NOT out STREQUAL "${version}x86 stub: ${x86_size} bytes\nx64 stub: ${x64_size} bytes\n")
  message(FATAL_ERROR "mkinstall.exe --version says:\n${out}")
endif()

# Both widths, with no --stub, are the Linux tool's installers, and nothing
# is said when nothing is wrong.
foreach(arch x86 x64)
  run(exe 0 "${app}/SETUP.LST" "${app}/files" --arch ${arch} -o ${WORK}/windows_${arch}.exe)
  if(NOT err STREQUAL "")
    message(FATAL_ERROR "mkinstall.exe --arch ${arch} printed:\n${err}")
  endif()
  run(linux 0 "${app}/SETUP.LST" "${app}/files" --stub ${STUB_${arch}} -o ${WORK}/linux_${arch}.exe)
  expect_same(${WORK}/windows_${arch}.exe ${WORK}/linux_${arch}.exe "the ${arch} installers")
endforeach()
# Built again over the previous one, as a packager does.
run(exe 0 "${app}/SETUP.LST" "${app}/files" -o ${WORK}/windows_x64.exe)
expect_same(${WORK}/windows_x64.exe ${WORK}/linux_x86.exe "an installer built over another")

# A manifest error about an accented name reads the same from both.
file(READ "${app}/SETUP.LST" manifest)
string(REPLACE "Taille=5000" "Taille=4999" manifest "${manifest}")
file(WRITE "${app}/wrong.lst" "${manifest}")
run(exe 1 "${app}/wrong.lst" "${app}/files" --stub ${STUB_x64} -o ${WORK}/wrong.exe)
string(REPLACE "Z:${app}" "${app}" windows "${err}")
string(REGEX REPLACE "wine-run: [^\n]*\n" "" windows "${windows}")  # the wrapper's own line
run(linux 1 "${app}/wrong.lst" "${app}/files" --stub ${STUB_x64} -o ${WORK}/wrong.exe)
if(NOT windows STREQUAL err OR NOT err MATCHES "Taille: is 4999 but \"légende.txt\" holds 5000 bytes\n")
  message(FATAL_ERROR "the tools report differently:\nmkinstall.exe:\n${windows}\nmkinstall:\n${err}")
endif()

# Signing runs osslsigncode.exe only from a folder that the PATH names in
# full, and keeps the previous installer unless the result carries a
# signature.  The stand-in signer copies the file unsigned and ends with 0.
file(MAKE_DIRECTORY ${WORK}/planted ${WORK}/on_path)
file(COPY_FILE ${FAKE_SIGNER} ${WORK}/planted/osslsigncode.exe)
file(COPY_FILE ${FAKE_SIGNER} ${WORK}/on_path/osslsigncode.exe)
file(WRITE ${WORK}/cert.pfx "not read")
string(REPLACE "/" "\\" on_path "Z:${WORK}/on_path")
set(previous ${WORK}/planted/signed.exe)
foreach(case "planted in the working folder|WINEPATH=|cannot find osslsigncode"
             "on the PATH, signing nothing|WINEPATH=${on_path}|carries no signature")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 what)
  list(GET case 1 run_env)
  list(GET case 2 expected)
  file(WRITE ${previous} "the previous installer")
  set(run_dir ${WORK}/planted)
  run(exe 3 "${app}/SETUP.LST" "${app}/files" --stub ${STUB_x64} -o ${previous} --sign ${WORK}/cert.pfx)
  file(READ ${previous} kept)
  file(GLOB leftovers ${previous}.*)
  if(NOT err MATCHES "${expected}" OR NOT kept STREQUAL "the previous installer" OR leftovers)
    message(FATAL_ERROR "a signing tool ${what}: installer now \"${kept}\", left: ${leftovers}\n${err}")
  endif()
endforeach()
unset(run_dir)
unset(run_env)

# The winget manifest sets are the same bytes from both, files named with
# accents included.
foreach(tool exe linux)
  file(MAKE_DIRECTORY ${WORK}/${tool})
  run(${tool} 0 "${app}/SETUP.LST" "${app}/files" --stub ${STUB_x64} -o ${WORK}/${tool}/install.exe
      --winget "${WORK}/${tool}/dépôt" --winget-id ÉditionsMérou.Cartographe)
endforeach()
foreach(file ÉditionsMérou.Cartographe.yaml ÉditionsMérou.Cartographe.installer.yaml
             ÉditionsMérou.Cartographe.locale.fr-FR.yaml)
  expect_same("${WORK}/exe/dépôt/${file}" "${WORK}/linux/dépôt/${file}" "the winget files ${file}")
endforeach()
