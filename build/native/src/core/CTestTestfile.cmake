# CMake generated Testfile for 
# Source directory: /work/wt/window-layer/src/core
# Build directory: /work/wt/window-layer/build/native/src/core
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
