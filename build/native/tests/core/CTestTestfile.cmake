# CMake generated Testfile for 
# Source directory: /work/wt/payloads/tests/core
# Build directory: /work/wt/payloads/build/native/tests/core
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/wt/payloads/build/native/tests/core/core_test[1]_include.cmake")
