# The optimisation wizard's results read by independent tools: ImageMagick
# composes the original and the optimised animations (they must show the same
# pixels), and gifsicle -O2 on the same originals gives sizes to compare with.
find_program(OPTIMIZE_GIFSICLE gifsicle)
find_program(OPTIMIZE_CONVERT NAMES convert-im6.q16 convert)
if(TARGET app_tests AND OPTIMIZE_GIFSICLE AND OPTIMIZE_CONVERT)
  add_test(NAME app_optimize_check
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/optimize_check.py
            $<TARGET_FILE:app_tests> ${CMAKE_CURRENT_BINARY_DIR}/app_optimize_check
            "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(app_optimize_check PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
