# CMake generated Testfile for 
# Source directory: /work/wt/payloads/src/core
# Build directory: /work/wt/payloads/build/native/src/core
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
