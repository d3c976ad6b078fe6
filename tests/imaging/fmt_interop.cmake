# Conformance and interoperability of the JPEG, PNG and JPEG-2000 filters with
# independent tools (djpeg, pngtopnm, pngcheck, opj_decompress, ImageMagick):
# include() this from tests/CMakeLists.txt after the imaging tests.
find_program(FMT_DJPEG djpeg)
find_program(FMT_PNGCHECK pngcheck)
find_program(FMT_OPJ opj_decompress)
find_program(FMT_PNGTOPNM pngtopnm)
if(TARGET imaging_tests AND FMT_DJPEG AND FMT_PNGCHECK AND FMT_OPJ AND FMT_PNGTOPNM)
  # The codecs' test pictures collected by scripts/setup beside the libraries.
  get_filename_component(_fmt_cache "${LARKSPIRE_DEPS}/../.." ABSOLUTE)
  file(GLOB _fmt_corpus LIST_DIRECTORIES true "${_fmt_cache}/corpus/*")
  list(SORT _fmt_corpus)
  list(POP_BACK _fmt_corpus _fmt_corpus_dir)
  add_test(NAME imaging_fmt_interop_check
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/fmt_interop.py
            $<TARGET_FILE:imaging_tests> "${_fmt_corpus_dir}"
            ${CMAKE_CURRENT_BINARY_DIR}/fmt_interop_out "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(imaging_fmt_interop_check PROPERTIES TIMEOUT 600)
endif()
