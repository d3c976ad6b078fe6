# AVI files of every kind made by ffmpeg (and an RLE8 writer), imported by the
# editor and compared with ffmpeg's own decoding: include()d by
# tests/CMakeLists.txt with the other checks of tests/app.
find_program(AVI_CHECK_FFMPEG ffmpeg)
find_program(AVI_CHECK_FFPROBE ffprobe)
find_program(AVI_CHECK_GIFSICLE gifsicle)
find_program(AVI_CHECK_CONVERT NAMES convert-im6.q16 convert)
if(TARGET app_tests AND AVI_CHECK_FFMPEG AND AVI_CHECK_FFPROBE AND AVI_CHECK_GIFSICLE AND AVI_CHECK_CONVERT)
  add_test(NAME app_avi_check
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/avi_check.py
            $<TARGET_FILE:app_tests> ${CMAKE_CURRENT_BINARY_DIR}/app_avi_check
            "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(app_avi_check PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
