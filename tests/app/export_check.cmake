# The frame export's files read by an independent tool (ImageMagick):
# include() this from tests/CMakeLists.txt after the editor's tests.
find_program(EXPORT_CONVERT NAMES convert-im6.q16 convert)
if(TARGET app_tests AND EXPORT_CONVERT)
  add_test(NAME app_export_check
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/export_check.py
            $<TARGET_FILE:app_tests> ${CMAKE_CURRENT_BINARY_DIR}/app_export_check
            "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(app_export_check PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
