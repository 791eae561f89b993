# Judges the signed program that the Windows test edited in place (EDITED) by osslsigncode alone:
# its signature no longer matches its bytes, and once signed again (into WORK) it verifies, the
# certificate table having been left as the signing tool can replace it.
#   cmake -DOPENSSL=<openssl> -DOSSLSIGNCODE=<osslsigncode> -DEDITED=<program> -DWORK=<folder>
#         -DWINE_RUN=<cmake/wine-run> -DEDITOR=<the test program that edits it> -P resign.cmake
# Where the editor cannot run on this machine (a 32-bit one without 32-bit support), nothing was
# edited, and this is skipped as it was.
execute_process(COMMAND "${WINE_RUN}" --can-run "${EDITOR}" OUTPUT_VARIABLE skipped
                RESULT_VARIABLE result)
if(result EQUAL 77)
    message("${skipped}")
    return()
endif()
execute_process(COMMAND "${OSSLSIGNCODE}" verify -in "${EDITED}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0 OR NOT output MATCHES "Calculated message digest : [0-9A-F]+ +MISMATCH")
    message(FATAL_ERROR "the edited program's signature still matches, or was not read:\n${output}")
endif()

set(UNSIGNED "${EDITED}")
set(SIGNED "${WORK}/resigned.exe")
set(KEYS "${WORK}/keys")
include(${CMAKE_CURRENT_LIST_DIR}/../fixtures/sign.cmake)
execute_process(COMMAND "${OSSLSIGNCODE}" verify -CAfile "${KEYS}/cert.pem" -in "${SIGNED}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the edited program, signed again, does not verify:\n${output}")
endif()
