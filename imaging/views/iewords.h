// The image library's user-interface words: 124 words in eleven languages,
// stored as UTF-8 in the word table of zezivori.h, read by the library's dialogs.
#pragma once

#include <string>

#include "imaging/buffer/zezivori.h"

// Language ordinal 1..12 (msEnglish..msUser), word number 0..123.
void SetLocalizedWord(Integer Language, Integer Word, const std::string& Text);
// The word in that language, else in English. msSystem takes the language of
// the user's locale (SysLocale.PriLangID).
std::string GetLocalizedWord(Integer Word, TMsgLanguage Language);
// The font character set that shows the language's words (the words are
// Unicode, but a font picked for another character set lacks their letters).
Byte LanguageCharset(TMsgLanguage Language);
// The language msSystem stands for on a system of that primary language id.
TMsgLanguage MsgLanguageOfPrimaryLanguage(Integer PriLangID);
