#include "tests/support/file_select.h"

#include <gtest/gtest.h>

#include <map>

namespace testfiles {

namespace {

bool Wildcard(const char* Pattern, const char* Text) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*Text) {
    if (*Pattern == '*') {
      star = Pattern++;
      resume = Text;
    } else if (*Pattern == '?' || *Pattern == *Text) {
      ++Pattern;
      ++Text;
    } else if (star) {
      Pattern = star + 1;
      Text = ++resume;
    } else {
      return false;
    }
  }
  while (*Pattern == '*') ++Pattern;
  return *Pattern == 0;
}

bool AnyPattern(const std::string& Patterns, const std::string& Name) {
  size_t begin = 0;
  while (begin < Patterns.size()) {
    size_t end = Patterns.find(':', begin);
    if (end == std::string::npos) end = Patterns.size();
    if (end > begin && Wildcard(Patterns.substr(begin, end - begin).c_str(), Name.c_str())) return true;
    begin = end + 1;
  }
  return false;
}

template <class F>
void ForEachTest(F Visit) {
  const ::testing::UnitTest* unit = ::testing::UnitTest::GetInstance();
  for (int i = 0; i < unit->total_test_suite_count(); ++i) {
    const ::testing::TestSuite* suite = unit->GetTestSuite(i);
    for (int j = 0; j < suite->total_test_count(); ++j) Visit(*suite->GetTestInfo(j));
  }
}

std::string FullName(const ::testing::TestInfo& Test) {
  return std::string(Test.test_suite_name()) + "." + Test.name();
}

}  // namespace

std::string TestFileStem(const char* Path) {
  std::string name = Path ? Path : "";
  const size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::string prefix = "test_", suffix = ".cpp";
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return "";
  }
  return name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
}

bool MatchesFilter(const std::string& Filter, const std::string& Name) {
  const size_t dash = Filter.find('-');
  const std::string positive = Filter.substr(0, dash);
  const std::string negative = dash == std::string::npos ? "" : Filter.substr(dash + 1);
  return (positive.empty() || AnyPattern(positive, Name)) && !AnyPattern(negative, Name);
}

std::vector<std::string> TestsOfFile(const std::string& Stem, const std::string& Filter, bool& Defined) {
  std::vector<std::string> names;
  Defined = false;
  ForEachTest([&](const ::testing::TestInfo& Test) {
    if (TestFileStem(Test.file()) != Stem) return;
    Defined = true;
    std::string name = FullName(Test);
    if (MatchesFilter(Filter, name)) names.push_back(std::move(name));
  });
  return names;
}

std::vector<std::string> CheckTestFiles(const std::set<std::string>& Stems) {
  std::vector<std::string> problems;
  std::map<std::string, std::string> suiteFile;
  ForEachTest([&](const ::testing::TestInfo& Test) {
    const std::string stem = TestFileStem(Test.file());
    if (!Stems.count(stem)) {
      problems.push_back(FullName(Test) + " is defined in " + Test.file() + ", which no test run selects");
    }
    // The suite of a parameterised test carries its instantiation's prefix.
    std::string suite = Test.test_suite_name();
    suite.erase(0, suite.find('/') + 1);
    const auto [at, added] = suiteFile.emplace(suite, stem);
    if (!added && at->second != stem) {
      problems.push_back("test suite " + suite + " is in test_" + at->second + ".cpp and test_" + stem +
                         ".cpp: give each file its own suites");
    }
  });
  return problems;
}

}  // namespace testfiles
