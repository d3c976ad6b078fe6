# Conformance of the TIFF reader with the TIFF library's tools (tiffcp,
# fax2tiff, tiffinfo) and ImageMagick: include() this from tests/CMakeLists.txt
# after the imaging tests.
find_program(TIFF_TIFFCP tiffcp)
find_program(TIFF_FAX2TIFF fax2tiff)
find_program(TIFF_TIFFINFO tiffinfo)
if(TARGET imaging_tests AND TIFF_TIFFCP AND TIFF_FAX2TIFF AND TIFF_TIFFINFO)
  # The TIFF library's test pictures collected by scripts/setup.
  get_filename_component(_tiff_cache "${LARKSPIRE_DEPS}/../.." ABSOLUTE)
  file(GLOB _tiff_corpus LIST_DIRECTORIES true "${_tiff_cache}/corpus-tiff/*")
  list(SORT _tiff_corpus)
  set(_tiff_corpus_dir "")
  if(_tiff_corpus)
    list(POP_BACK _tiff_corpus _tiff_corpus_dir)
  endif()
  add_test(NAME imaging_tiff_read_interop_check
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/tiff_read_interop.py
            $<TARGET_FILE:imaging_tests> "${_tiff_corpus_dir}"
            ${CMAKE_CURRENT_BINARY_DIR}/tiff_read_interop_out "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(imaging_tiff_read_interop_check PROPERTIES TIMEOUT 900)
endif()
