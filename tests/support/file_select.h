// Which tests of a shared test executable belong to which test file: the
// test files of a folder are linked into one executable, and CTest runs each
// file in its own process by naming it (see main.cpp).
#pragma once

#include <set>
#include <string>
#include <vector>

namespace testfiles {

// ".../tests/gif/test_codec.cpp" -> "codec"; "" for a file not named test_*.cpp.
std::string TestFileStem(const char* Path);

// GoogleTest's filter syntax: ':'-separated patterns with '*' and '?', then
// optionally '-' and the patterns to leave out. An empty positive part takes all.
bool MatchesFilter(const std::string& Filter, const std::string& Name);

// Full names ("Suite.Name") of the registered tests defined in test_<Stem>.cpp
// that pass Filter; Defined tells whether that file defines any test at all.
std::vector<std::string> TestsOfFile(const std::string& Stem, const std::string& Filter, bool& Defined);

// What is wrong with running the executable as one process per file of Stems:
// tests defined elsewhere (a header, say), which would never run, and suites
// spread over two files. Empty when nothing is.
std::vector<std::string> CheckTestFiles(const std::set<std::string>& Stems);

}  // namespace testfiles
