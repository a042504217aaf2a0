# What the packaging tool's command-line tests share.
#   run(<expected exit code> <arguments>...) runs ${MKINSTALL} and stops the
#   test unless it exits with that code; its output is left in `out` and `err`.
function(run expected_rc)
  execute_process(COMMAND ${MKINSTALL} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "mkinstall ${ARGN}: exit ${rc}, expected ${expected_rc}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()
