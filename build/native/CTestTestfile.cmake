# CMake generated Testfile for 
# Source directory: /work/wt/payloads
# Build directory: /work/wt/payloads/build/native
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("src/core")
subdirs("tools/mkinstall")
subdirs("tests")
