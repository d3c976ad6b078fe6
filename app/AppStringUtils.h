// Two string routines the editor's forms share (1-based positions, as the
// frame captions and file names are handled throughout the editor).
#pragma once

#include <string>

#include "platform/System.h"

// Start 1 (or below 1): the 1-based position of SubStr in Text, 0 when absent.
// Any other start: the position of SubStr in the part of Text from character
// Start to the end, counted from Start (1 = found at Start); 0 when absent or
// when Start lies beyond the text.
Integer PosFrom(const std::string& Text, const std::string& SubStr, Integer Start);

// The last N characters of Text; empty when N is 0 or less or greater than
// the text's length.
std::string RightChars(const std::string& Text, Integer N);
