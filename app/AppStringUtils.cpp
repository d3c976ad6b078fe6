#include "app/AppStringUtils.h"

Integer PosFrom(const std::string& Text, const std::string& SubStr, Integer Start) {
  // A start below 1 searches the whole text, as a start of 1 does.
  size_t from = Start > 1 ? static_cast<size_t>(Start) - 1 : 0;
  if (from >= Text.size() || SubStr.empty()) return 0;
  size_t at = Text.find(SubStr, from);
  if (at == std::string::npos) return 0;
  return static_cast<Integer>(at - from + 1);
}

std::string RightChars(const std::string& Text, Integer N) {
  if (N <= 0 || static_cast<size_t>(N) > Text.size()) return {};
  return Text.substr(Text.size() - static_cast<size_t>(N));
}
