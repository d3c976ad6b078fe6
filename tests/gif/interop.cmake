# Runs what the GIF writer produces through independent decoders (ImageMagick
# and gifsicle): include() this from tests/CMakeLists.txt after the gif tests.
if(TARGET gif_tests)
  add_test(NAME gif_interop_check
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/interop_check.sh
            $<TARGET_FILE:gif_tests>
            ${CMAKE_CURRENT_LIST_DIR}/../data/gif
            ${CMAKE_CURRENT_BINARY_DIR}/gif_interop_out
            "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(gif_interop_check PROPERTIES TIMEOUT 600)
endif()
