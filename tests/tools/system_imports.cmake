# Checks that shipped programs are of the build's width and import nothing but
# Windows system DLLs that the loader takes from the system folder only
# (KnownDLLs), so that no DLL lying beside them can be loaded in their place.
#   cmake -DOBJDUMP=... -DFORMAT=pei-i386|pei-x86-64 -DPROGRAMS=a.exe;b.exe -P system_imports.cmake
cmake_minimum_required(VERSION 3.25)
set(known_dlls advapi32 comdlg32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 rpcrt4 shell32 shlwapi user32)

foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${program}")
  endif()
  if(NOT dump MATCHES "file format ${FORMAT}\n")
    message(FATAL_ERROR "${program} is not ${FORMAT}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  if(NOT imports)
    message(FATAL_ERROR "${program} lists no imports: the check would prove nothing")
  endif()
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "DLL Name: (.+)\\.[dD][lL][lL]$" "\\1" name "${import}")
    string(TOLOWER "${name}" name)
    if(NOT name IN_LIST known_dlls)
      message(FATAL_ERROR "${program} imports ${name}.dll, which is no KnownDLL")
    endif()
  endforeach()
  list(LENGTH imports count)
  message(STATUS "${program}: ${FORMAT}, ${count} system DLLs")
endforeach()
