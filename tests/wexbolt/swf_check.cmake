# The movies gif2swf writes, read by independent tools: yaswfp parses them,
# ffmpeg decodes their bitmaps, ImageMagick and gifsicle read the GIFs they
# came from (swf_check.py). scripts/setup installs all of them; a missing one
# fails the check.
find_program(SWF_CHECK_FFMPEG ffmpeg)
find_program(SWF_CHECK_GIFSICLE gifsicle)
find_program(SWF_CHECK_CONVERT NAMES convert-im6.q16 convert)
foreach(_tool SWF_CHECK_FFMPEG SWF_CHECK_GIFSICLE SWF_CHECK_CONVERT)
  if(NOT ${_tool})
    set(${_tool} "${_tool}-not-found")
  endif()
endforeach()
add_test(NAME wexbolt_swf_check
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/swf_check.py
          $<TARGET_FILE:wexbolt_tests> ${CMAKE_CURRENT_BINARY_DIR}/wexbolt_swf_check
          ${SWF_CHECK_FFMPEG} ${SWF_CHECK_GIFSICLE} ${SWF_CHECK_CONVERT}
          "${CMAKE_CROSSCOMPILING_EMULATOR}")
set_tests_properties(wexbolt_swf_check PROPERTIES TIMEOUT 600)
