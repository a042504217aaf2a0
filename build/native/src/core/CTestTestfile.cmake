# CMake generated Testfile for 
# Source directory: /work/main/src/core
# Build directory: /work/main/build/native/src/core
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
