# Runs the packaging tool as a packager would.
#   cmake -DMKINSTALL=... -DSTUB=... -DDLL=<a DLL> -DSMALL_DISK=<scripts/with-small-disk> -DSOURCE=<tests/tools>
#         -DWORK=<scratch folder> -P mkinstall_cli.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

include(${CMAKE_CURRENT_LIST_DIR}/run_mkinstall.cmake)

function(expect_in text needle)
  string(FIND "${text}" "${needle}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${needle}\" in:\n${text}")
  endif()
endfunction()

# An invalid manifest: every problem reported, nothing built.
run(1 ${SOURCE}/invalid.lst ${SOURCE}/payload --stub ${STUB} -o ${WORK}/bad.exe)
foreach(problem
    "error: [Setup] Nom: is missing"
    "error: [Fichier_1] Taille: is 2999 but \"app.dat\" holds 3000 bytes"
    "error: [Fichier_2] Nom: \"..\\lisezmoi.txt\" is not a plain file name"
    "warning: [Fichier_2] Dossier: \"Windows\" is neither"
    "error: [Fichier_2] Version: \"1.x\""
    "warning: [Setup] Editeur: is empty")
  expect_in("${err}" "${problem}")
endforeach()
string(FIND "${err}" "[Setup] Run" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "Run defaults to the missing Nom and must not be reported:\n${err}")
endif()
if(EXISTS ${WORK}/bad.exe)
  message(FATAL_ERROR "an installer was built from an invalid manifest")
endif()

# --force builds it all the same, still reporting.
run(0 ${SOURCE}/invalid.lst ${SOURCE}/payload --stub ${STUB} -o ${WORK}/forced.exe --force)
expect_in("${err}" "error: [Setup] Nom")
if(NOT EXISTS ${WORK}/forced.exe)
  message(FATAL_ERROR "--force built nothing")
endif()

# A valid manifest builds, and twice gives the same bytes.  Its publisher
# is accepted without a word.
run(0 ${SOURCE}/valid.lst ${SOURCE}/payload --stub ${STUB} -o ${WORK}/one.exe)
string(FIND "${err}" "Editeur" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "a valid publisher was reported:\n${err}")
endif()
run(0 ${SOURCE}/valid.lst ${SOURCE}/payload --stub ${STUB} -o ${WORK}/two.exe)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/one.exe ${WORK}/two.exe RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "two builds from the same inputs differ")
endif()

# A wrong command line does nothing and says what is wrong (exit 2); a
# missing stub fails (exit 3).
set(pack ${SOURCE}/valid.lst ${SOURCE}/payload -o ${WORK}/unused.exe)
run(2 ${SOURCE}/valid.lst)
expect_in("${err}" "mkinstall: expected a manifest and a payload folder\n")
run(2 ${pack} --arch arm)
expect_in("${err}" "mkinstall: --arch takes x86 or x64, not \"arm\"\n")
run(2 ${pack} --sgin a.pfx)
expect_in("${err}" "mkinstall: unknown option \"--sgin\"\n")
run(2 ${pack} --password-file p.txt)
expect_in("${err}" "mkinstall: --password-file goes with --sign\n")
run(2 ${pack} --signtool osslsigncode)
expect_in("${err}" "mkinstall: --signtool goes with --sign\n")
run(3 ${SOURCE}/valid.lst ${SOURCE}/payload --stub ${WORK}/absent.exe -o ${WORK}/three.exe)
expect_in("${err}" "mkinstall: ${WORK}/absent.exe: cannot read")

# Only a program for x86 or x64 can be the stub, and the message says
# which file is wrong and why.
foreach(case "${SOURCE}/valid.lst|not an executable" "${DLL}|it is a DLL")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 stub)
  list(GET case 1 reason)
  run(3 ${SOURCE}/valid.lst ${SOURCE}/payload --stub ${stub} -o ${WORK}/wrong_stub.exe)
  expect_in("${err}" "mkinstall: ${stub}: cannot be the installer stub: ${reason}")
endforeach()
if(EXISTS ${WORK}/wrong_stub.exe)
  message(FATAL_ERROR "an installer was built from a wrong stub")
endif()

# A write that fails leaves nothing beside the output, neither a half
# installer nor its temporary file: an output that names a folder, which the
# finished file cannot replace; and a full disk (a 128 KiB one, smaller than
# the stub), where this machine can mount one.
file(MAKE_DIRECTORY ${WORK}/folder.exe/inside)
run(3 ${SOURCE}/valid.lst ${SOURCE}/payload --stub ${STUB} -o ${WORK}/folder.exe)
expect_in("${err}" "mkinstall: ${WORK}/folder.exe: cannot write")
file(GLOB leftovers ${WORK}/folder.exe.*)
if(leftovers)
  message(FATAL_ERROR "a failed write left ${leftovers}")
endif()
file(WRITE ${WORK}/on_small_disk.sh [[
disk=$(printf '%s' "$SMALL_DISK" | cut -c3- | tr '\\' /)
"$@" -o "$disk/install.exe"
echo "exit $?"
ls -A "$disk"
]])
execute_process(COMMAND ${SMALL_DISK} 128K SMALL_DISK sh ${WORK}/on_small_disk.sh
                        ${MKINSTALL} ${SOURCE}/valid.lst ${SOURCE}/payload --stub ${STUB}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 77)
  message(STATUS "the full disk is not tried: ${err}")
elseif(NOT out STREQUAL "exit 3\n" OR NOT err MATCHES "install.exe.tmp: cannot write")
  message(FATAL_ERROR "on a full disk: ${out}${err}")
endif()

# --sizes rewrites Taille to the real sizes and keeps everything else.
run(0 --sizes ${SOURCE}/invalid.lst ${SOURCE}/payload -o ${WORK}/sized.lst)
file(READ ${WORK}/sized.lst sized)
expect_in("${sized}" "Taille=3000")
file(READ ${SOURCE}/invalid.lst original)
string(REPLACE "Taille=2999" "Taille=3000" original "${original}")
if(NOT sized STREQUAL original)
  message(FATAL_ERROR "--sizes changed more than Taille:\n${sized}")
endif()
