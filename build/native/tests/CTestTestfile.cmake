# CMake generated Testfile for 
# Source directory: /work/wt/payloads/tests
# Build directory: /work/wt/payloads/build/native/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("core")
subdirs("tools")
