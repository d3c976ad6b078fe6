# The fax codec and the TIFF writer against libtiff's tools and ImageMagick
# (installed by scripts/setup): include() this from tests/CMakeLists.txt after
# the imaging tests.
if(TARGET imaging_tests)
  add_test(NAME imaging_fmt_tiffw_interop
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/fmt_tiffw_interop.py
            $<TARGET_FILE:imaging_tests> ${CMAKE_CURRENT_BINARY_DIR}/fmt_tiffw_interop_out
            "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(imaging_fmt_tiffw_interop PROPERTIES TIMEOUT 600)
endif()
