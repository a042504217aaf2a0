# mkinstall built for the build machine, to pack the cross-built installers.
# The cross build cannot run its own mkinstall.exe without Wine, and must not
# depend on another build directory, so it builds the tool itself.
include(ExternalProject)

set(HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host)
set(HOST_MKINSTALL ${HOST_TOOLS_DIR}/tools/mkinstall/mkinstall)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${HOST_TOOLS_DIR}
  CMAKE_ARGS -DHOST_TOOLS_ONLY=ON -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${HOST_MKINSTALL}
  USES_TERMINAL_BUILD OFF)
