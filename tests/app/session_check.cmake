# The editor's end-to-end session, its saved file read by independent tools
# (gifsicle and ImageMagick): include() this from tests/CMakeLists.txt after
# the editor's tests.
find_program(SESSION_GIFSICLE gifsicle)
find_program(SESSION_CONVERT NAMES convert-im6.q16 convert)
if(TARGET app_tests AND SESSION_GIFSICLE AND SESSION_CONVERT)
  add_test(NAME app_session_check
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/session_check.py
            $<TARGET_FILE:app_tests> ${CMAKE_CURRENT_BINARY_DIR}/app_session_check
            "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(app_session_check PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
