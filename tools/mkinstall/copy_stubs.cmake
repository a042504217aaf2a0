# Refreshes the copy of an installer stub that mkinstall carries.
#   cmake -DSTUB=<stub.exe or nothing> -DCOPY=<copy> -P copy_stubs.cmake
# The copy is rewritten only when its content changes, so that mkinstall is
# rebuilt only then.  A stub that is not there leaves an empty copy.
get_filename_component(folder ${COPY} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
if(STUB AND EXISTS ${STUB})
  file(COPY_FILE ${STUB} ${COPY} ONLY_IF_DIFFERENT)
elseif(NOT EXISTS ${COPY})
  file(TOUCH ${COPY})
else()
  file(SIZE ${COPY} size)
  if(NOT size EQUAL 0)
    file(WRITE ${COPY} "")
  endif()
endif()
