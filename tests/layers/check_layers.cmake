# Compiles, for each case of CASES (a file written by tests/layers), one file
# that includes a single header, with the include path and definitions of a
# layer's library:
#   layer_case(<library> <header it may include> <header of a layer above>
#              <include directories> <definitions>)
# The first must compile; the second must fail because the header is not
# found, not for any other reason.
#   cmake -DCOMPILER=<c++> -DCASES=<file> -DWORK=<folder> -P check_layers.cmake
set(failures "")

function(try_include library header includes definitions result output)
  set(source ${WORK}/${library}.cpp)
  file(WRITE ${source} "#include \"${header}\"\n")
  set(flags -std=c++20 -fsyntax-only)
  foreach(folder IN LISTS includes)
    list(APPEND flags -I${folder})
  endforeach()
  foreach(definition IN LISTS definitions)
    list(APPEND flags -D${definition})
  endforeach()
  execute_process(COMMAND ${COMPILER} ${flags} ${source}
    RESULT_VARIABLE code OUTPUT_VARIABLE text ERROR_VARIABLE text)
  set(${result} ${code} PARENT_SCOPE)
  set(${output} "${text}" PARENT_SCOPE)
endfunction()

function(layer_case library allowed forbidden includes definitions)
  try_include(${library} ${allowed} "${includes}" "${definitions}" code text)
  if(code EQUAL 0)
    message(STATUS "${library}: \"${allowed}\" compiles")
  else()
    string(APPEND failures "${library}: \"${allowed}\" should compile, and does not:\n${text}\n")
  endif()
  try_include(${library} ${forbidden} "${includes}" "${definitions}" code text)
  string(REGEX REPLACE "([.+])" "\\\\\\1" pattern "${forbidden}")
  if(NOT code EQUAL 0 AND text MATCHES "${pattern}: No such file or directory")
    message(STATUS "${library}: \"${forbidden}\" is out of reach")
  elseif(code EQUAL 0)
    string(APPEND failures "${library}: \"${forbidden}\", a layer above, compiles\n")
  else()
    string(APPEND failures "${library}: \"${forbidden}\" fails for another reason than its layer:\n${text}\n")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY ${WORK})
include(${CASES})
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
