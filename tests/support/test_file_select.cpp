// How a shared test executable finds the tests of one test file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/file_select.h"

namespace {

using testfiles::CheckTestFiles;
using testfiles::MatchesFilter;
using testfiles::TestFileStem;
using testfiles::TestsOfFile;

TEST(FileSelect, StemOfTheDefiningFile) {
  const struct {
    const char* path;
    const char* stem;
  } cases[] = {
      {"/work/tests/gif/test_codec.cpp", "codec"},
      {"..\\tests\\gif\\test_codec.cpp", "codec"},
      {"test_a_b.cpp", "a_b"},
      {"tests/gif/gif_test_util.h", ""},
      {"tests/gif/test_.cpp", ""},
      {"tests/gif/codec_test.cpp", ""},
      {"", ""},
      {nullptr, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TestFileStem(c.path), c.stem) << (c.path ? c.path : "null");
}

TEST(FileSelect, FilterLikeGoogleTest) {
  const struct {
    const char* filter;
    const char* name;
    bool matches;
  } cases[] = {
      {"*", "A.b", true},
      {"", "A.b", true},
      {"A.b", "A.b", true},
      {"A.b", "A.bc", false},
      {"A.?", "A.b", true},
      {"A.?", "A.bc", false},
      {"*.b*", "A.bc", true},
      {"X.*:A.*", "A.b", true},
      {"X.*:Y.*", "A.b", false},
      {"-A.*", "A.b", false},
      {"-A.*", "B.b", true},
      {"*-A.b:B.*", "A.c", true},
      {"*-A.b:B.*", "B.c", false},
      {"A.*b*c", "A.xbyc", true},
      {"A.*b*c", "A.xbycd", false},
      {"Files/Corpus.*", "Files/Corpus.Decodes/3", true},
      {"::", "A.b", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesFilter(c.filter, c.name), c.matches) << "'" << c.filter << "' on " << c.name;
  }
}

// This executable also holds the allocation guard's tests, from another file.
TEST(FileSelect, TestsOfOneFileInThisExecutable) {
  bool defined = false;
  const std::vector<std::string> guard = TestsOfFile("alloc_limit", "*", defined);
  EXPECT_TRUE(defined);
  EXPECT_EQ(guard, (std::vector<std::string>{"AllocLimitGuard.RequestsAgainstTheLimits",
                                             "AllocLimitGuard.PeakIsTheHighestNetGrowth",
                                             "AllocLimitGuard.ScopeNestingAndThreads"}));
  EXPECT_EQ(TestsOfFile("alloc_limit", "*Peak*:*Scope*-*Scope*", defined),
            std::vector<std::string>{"AllocLimitGuard.PeakIsTheHighestNetGrowth"});
  EXPECT_TRUE(TestsOfFile("alloc_limit", "FileSelect.*", defined).empty());
  EXPECT_TRUE(defined) << "the file defines tests, though none passes the filter";
  EXPECT_TRUE(TestsOfFile("alloc", "*", defined).empty());
  EXPECT_FALSE(defined);

  // Run as one process per file of this folder but the guard's, its tests would never run.
  const std::vector<std::string> problems = CheckTestFiles({"file_select"});
  ASSERT_EQ(problems.size(), guard.size());
  for (size_t i = 0; i < guard.size(); ++i) {
    EXPECT_EQ(problems[i].rfind(guard[i] + " is defined in ", 0), 0u) << problems[i];
  }
}

}  // namespace
