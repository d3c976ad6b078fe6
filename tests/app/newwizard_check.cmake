# The new-animation wizard's session, its saved files read by independent
# tools (gifsicle and ImageMagick): picked up by tests/CMakeLists.txt with the
# other checks of tests/app.
find_program(NEWWIZ_GIFSICLE gifsicle)
find_program(NEWWIZ_CONVERT NAMES convert-im6.q16 convert)
if(TARGET app_tests AND NEWWIZ_GIFSICLE AND NEWWIZ_CONVERT)
  add_test(NAME app_newwizard_check
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/newwizard_check.py
            $<TARGET_FILE:app_tests> ${CMAKE_CURRENT_BINARY_DIR}/app_newwizard_check
            "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(app_newwizard_check PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
