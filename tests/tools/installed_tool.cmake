# Installs mkinstall into a prefix, as a packager would, and packs another
# application's manifest (accents, many files) with the stubs it carries.
#   cmake -DBUILD=<build tree> -DSTUB_x86=... -DSTUB_x64=... -DSOURCE=<tests/tools> -DWORK=<scratch> -P installed_tool.cmake
# Reports itself skipped ("SKIPPED:") when the build carries no stub, saying which
# build to run first.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${err}")
endif()
set(MKINSTALL ${WORK}/prefix/bin/mkinstall)
set(app ${SOURCE}/other_app)

include(${CMAKE_CURRENT_LIST_DIR}/run_mkinstall.cmake)

run(0 --version)
if(out MATCHES "stub: none; ([^\n]*)")
  message("SKIPPED: the installed mkinstall carries no stub: ${CMAKE_MATCH_1}")
  return()
endif()
if(NOT out MATCHES "^mkinstall [0-9]+\\.[0-9]+\\.[0-9]+\nx86 stub: [0-9]+ bytes\nx64 stub: [0-9]+ bytes\n$")
  message(FATAL_ERROR "unexpected --version:\n${out}")
endif()
run(0 --help)
if(NOT out MATCHES "^usage: mkinstall" OR NOT out MATCHES "exit codes:")
  message(FATAL_ERROR "--help shows no usage or exit codes:\n${out}")
endif()

# Each width packs with no --stub exactly what its stub gives, and says
# nothing when nothing is wrong and no terminal watches.
foreach(arch x86 x64)
  run(0 ${app}/SETUP.LST ${app}/files --arch ${arch} -o ${WORK}/carried_${arch}.exe)
  if(NOT err STREQUAL "")
    message(FATAL_ERROR "mkinstall --arch ${arch} printed:\n${err}")
  endif()
  run(0 ${app}/SETUP.LST ${app}/files --stub ${STUB_${arch}} -o ${WORK}/named_${arch}.exe)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/carried_${arch}.exe ${WORK}/named_${arch}.exe
                  RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "the carried ${arch} stub packs another installer than ${STUB_${arch}}")
  endif()
endforeach()
run(0 ${app}/SETUP.LST ${app}/files -o ${WORK}/default.exe)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/default.exe ${WORK}/carried_x86.exe RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "the default installer is not the 32-bit one")
endif()

# On a terminal, a progress line names each file as it is compressed.
execute_process(COMMAND script -qec "'${MKINSTALL}' '${app}/SETUP.LST' '${app}/files' -o '${WORK}/tty.exe'" /dev/null
                RESULT_VARIABLE rc OUTPUT_VARIABLE terminal)
if(NOT rc EQUAL 0 OR NOT terminal MATCHES "\rmkinstall: compressing légende.txt 100%")
  message(FATAL_ERROR "no progress line on a terminal (exit ${rc}):\n${terminal}")
endif()
