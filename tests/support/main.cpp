// Entry of every test executable: a console program run under Wine.
//
// The test files of one folder share an executable. Two options of our own
// (after GoogleTest's) keep them apart:
//   --test-file=<stem>          runs only the tests defined in test_<stem>.cpp
//                               (within --gtest_filter, when given), so that
//                               CTest still runs each file in its own process;
//   --check-test-files=<a,b,..> fails unless every test is defined in one of
//                               test_a.cpp, test_b.cpp, ... and no suite
//                               spreads over two files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "tests/support/file_select.h"

namespace {

bool SelectTestFile(const std::string& Stem) {
  bool defined = false;
  std::string filter;
  for (const std::string& name : testfiles::TestsOfFile(Stem, GTEST_FLAG_GET(filter), defined)) {
    if (!filter.empty()) filter += ':';
    filter += name;
  }
  // An empty positive list would mean "everything".
  GTEST_FLAG_SET(filter, filter.empty() ? "-*" : filter);
  return defined;
}

bool CheckTestFiles(const std::string& List) {
  std::set<std::string> stems;
  for (size_t begin = 0; begin <= List.size();) {
    size_t end = List.find(',', begin);
    if (end == std::string::npos) end = List.size();
    stems.insert(List.substr(begin, end - begin));
    begin = end + 1;
  }
  const std::vector<std::string> problems = testfiles::CheckTestFiles(stems);
  for (const std::string& p : problems) std::fprintf(stderr, "%s\n", p.c_str());
  return problems.empty();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strncmp(arg, "--test-file=", 12) == 0) {
      if (!SelectTestFile(arg + 12)) {
        std::fprintf(stderr, "no tests are defined in test_%s.cpp\n", arg + 12);
        return 1;
      }
    } else if (std::strncmp(arg, "--check-test-files=", 19) == 0) {
      return CheckTestFiles(arg + 19) ? 0 : 1;
    } else {
      std::fprintf(stderr, "unknown option %s\n", arg);
      return 1;
    }
  }
  return RUN_ALL_TESTS();
}
