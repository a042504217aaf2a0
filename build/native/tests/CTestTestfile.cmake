# CMake generated Testfile for 
# Source directory: /work/wt/window-layer/tests
# Build directory: /work/wt/window-layer/build/native/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("core")
