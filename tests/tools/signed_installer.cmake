# An installer signed with a throw-away code-signing certificate through
# mkinstall --sign: osslsigncode verifies it, its PE checksum holds, and it
# installs under Wine.
#   cmake "-DWINE_RUN=<wine-run command>" -DMKINSTALL=... -DSTUB=<a stub Wine runs here> -DSOURCE=<tests/tools>
#         -DWORK=<scratch> -P signed_installer.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(app ${SOURCE}/other_app)

function(check)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN}: exit ${rc}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(WRITE ${WORK}/password.txt "a throw-away password\n")
check(openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Cartographe test signing"
      -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning"
      -keyout ${WORK}/key.pem -out ${WORK}/cert.pem)
check(openssl pkcs12 -export -inkey ${WORK}/key.pem -in ${WORK}/cert.pem -passout file:${WORK}/password.txt
      -out ${WORK}/cert.pfx)

# osslsigncode shows one "PE checksum" when the header holds the one it
# computes, and the two with a warning when not.
function(expect_sound_checksum file)
  execute_process(COMMAND osslsigncode verify -in ${file} OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT out MATCHES "(^|\n)PE checksum *: [0-9A-F]+\n" OR out MATCHES "invalid PE checksum")
    message(FATAL_ERROR "${file} has a wrong PE checksum:\n${out}")
  endif()
endfunction()
check(${MKINSTALL} ${app}/SETUP.LST ${app}/files --stub ${STUB} -o ${WORK}/unsigned.exe)
expect_sound_checksum(${WORK}/unsigned.exe)

set(installer ${WORK}/Cartographe.exe)
# sign(expected_rc [args...]): packs and signs into the installer, from a
# working folder that holds a planted osslsigncode, with `sign_env` added.
file(MAKE_DIRECTORY ${WORK}/planted ${WORK}/on_path)
set(fake_signer "#!/bin/sh\n# Copies -in to -out unsigned, and ends with 0.\nwhile [ $# -gt 1 ]; do\n  case \"$1\" in -in) in=$2 ;; -out) out=$2 ;; esac\n  shift\ndone\ncp \"$in\" \"$out\"\n")
foreach(dir planted on_path)
  file(WRITE ${WORK}/${dir}/osslsigncode "${fake_signer}")
  file(CHMOD ${WORK}/${dir}/osslsigncode PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endforeach()
function(sign expected_rc)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${sign_env} ${MKINSTALL} ${app}/SETUP.LST ${app}/files
                          --stub ${STUB} -o ${installer} --sign ${WORK}/cert.pfx ${ARGN}
                  WORKING_DIRECTORY ${WORK}/planted RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "signing with ${sign_env} ${ARGN}: exit ${rc}, expected ${expected_rc}\n${err}")
  endif()
  set(err "${err}" PARENT_SCOPE)
endfunction()
function(expect_signed)
  check(osslsigncode verify -CAfile ${WORK}/cert.pem -in ${installer})
  if(NOT out MATCHES "Signature verification: ok")
    message(FATAL_ERROR "osslsigncode does not find the signature sound:\n${out}")
  endif()
  expect_sound_checksum(${installer})
endfunction()
# A refused signing says why, and leaves the signed installer as it was.
function(expect_refused reason)
  file(SHA256 ${installer} before)
  sign(3 ${ARGN})
  file(SHA256 ${installer} after)
  file(GLOB leftovers ${installer}.*)
  if(NOT err MATCHES "${reason}" OR NOT before STREQUAL after OR leftovers)
    message(FATAL_ERROR "${ARGN}: installer changed: ${before} ${after}, left: ${leftovers}\n${err}")
  endif()
endfunction()

# The osslsigncode of a folder the PATH names in full, never the working
# folder's, even with "." on the PATH.
set(sign_env "PATH=.:$ENV{PATH}")
sign(0 --password-file ${WORK}/password.txt)
expect_signed()

# A wrong password signs nothing.
file(WRITE ${WORK}/wrong.txt "not the password\n")
expect_refused("cert.pfx: [^\n]*osslsigncode could not sign" --password-file ${WORK}/wrong.txt)

# A signing tool on the PATH that ends with 0 without signing is found out.
set(sign_env "PATH=${WORK}/on_path:$ENV{PATH}")
expect_refused("osslsigncode ended as if it had signed, but the installer it wrote carries no signature"
               --password-file ${WORK}/password.txt)

# --signtool names the tool outright, with no PATH at all.
find_program(osslsigncode osslsigncode REQUIRED)
set(sign_env "PATH=")
sign(0 --password-file ${WORK}/password.txt --signtool ${osslsigncode})
expect_signed()

# The signed file installs, every accented name in place.
check(${WINE_RUN} --prefix ${WORK}/prefix ${installer} /S /LOG=Z:${WORK}/journal.txt)
set(installed "${WORK}/prefix/drive_c/Program Files/Cartographe Étoilé")
file(GLOB payloads RELATIVE ${app}/files ${app}/files/*)
list(LENGTH payloads count)
if(count LESS 10)
  message(FATAL_ERROR "the fixture holds only ${count} files")
endif()
foreach(name IN LISTS payloads)
  set(where "${installed}")
  if(name MATCHES "^uninst_")
    set(where "${WORK}/prefix/drive_c/windows")
  endif()
  file(SHA256 "${app}/files/${name}" expected)
  if(NOT EXISTS "${where}/${name}")
    message(FATAL_ERROR "${name} was not installed into ${where}")
  endif()
  file(SHA256 "${where}/${name}" got)
  if(NOT got STREQUAL expected)
    message(FATAL_ERROR "${name} was installed with other bytes")
  endif()
endforeach()
