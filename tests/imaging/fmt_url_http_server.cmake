# Loading from a web address against Python's http.server, started and stopped
# by the script: include() this from tests/CMakeLists.txt after the imaging tests.
if(TARGET imaging_fmt_url)
  add_test(NAME imaging_fmt_url_http_server
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/fmt_url_http_server.py
            $<TARGET_FILE:imaging_fmt_url> ${CMAKE_CURRENT_BINARY_DIR}/fmt_url_http_server_out
            "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set_tests_properties(imaging_fmt_url_http_server PROPERTIES TIMEOUT 300)
endif()
