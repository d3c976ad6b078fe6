// The word table: filled at start, read with the English fallback and the
// system language, and shown correctly in every language.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "imaging/views/iewords.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

const TMsgLanguage kLanguages[] = {msEnglish, msItalian, msGerman,  msSpanish, msFrench, msPortuguese,
                                   msGreek,   msRussian, msDutch,   msSwedish, msPolish};
const char* const kLanguageNames[] = {"English", "Italian", "German",  "Spanish", "French", "Portuguese",
                                      "Greek",   "Russian", "Dutch",   "Swedish", "Polish"};

// The dialog's font, with the character set of the language it shows.
void DialogFont(TFont* F, TMsgLanguage Language) {
  F->SetName("MS Sans Serif");
  F->SetHeight(-11);
  F->SetCharset(LanguageCharset(Language));
}

struct TSysLanguage {
  Integer saved = SysLocale.PriLangID;
  explicit TSysLanguage(Integer Id) { SysLocale.PriLangID = Id; }
  ~TSysLanguage() { SysLocale.PriLangID = saved; }
};

}  // namespace

TEST(Words, TableIsFilledAtStart) {
  int filled = 0;
  for (int r = 0; r < IEWordTableLanguages; ++r)
    for (int w = 0; w < IEWordTableWords; ++w) filled += !IEWordTable[r][w].empty();
  EXPECT_EQ(filled, 1363);
  for (int w = 0; w < IEWordTableWords; ++w) EXPECT_TRUE(IEWordTable[msUser - 1][w].empty()) << w;
  EXPECT_TRUE(IEWordTable[msPolish - 1][123].empty());
}

TEST(Words, QuotedWordsInEveryLanguage) {
  struct Row {
    Integer word;
    std::vector<std::string> texts;
  };
  const Row rows[] = {
      {0,
       {"Preview", "Anteprima", "Vorschau", "Vista Previa", "Prévisualisation", "Visualizar", "Προεπισκόπηση",
        "Просмотр", "Voorbeeld", "Granska", "Podgląd"}},
      {4,
       {"Cancel", "Annulla", "Abbrechen", "Cancelar", "Annuler", "Cancelar", "Άκυρο", "Отмена", "Annuleren", "Avbryt",
        "Anuluj"}},
      {37,
       {"Parameters Preview", "Anteprima parametri", "Parameter Vorschau", "Revisión de Parámetros",
        "Paramètres de l'aperçu", "Pré-Visualização de Parâmetros", "Προεπισκόπηση ρυθμίσεων", "Настройка параметров",
        "Parameters Voorbeeld", "Granskningsparameter", "Parametry podglądu"}},
  };
  for (const Row& row : rows)
    for (size_t i = 0; i < std::size(kLanguages); ++i)
      EXPECT_EQ(GetLocalizedWord(row.word, kLanguages[i]), row.texts[i]) << row.word << " " << kLanguageNames[i];
}

TEST(Words, FallbacksAndSystemLanguage) {
  struct Case {
    Integer word;
    TMsgLanguage language;
    const char* text;
  };
  const Case cases[] = {
      {123, msPolish, "Rate"},     // the empty Polish entry
      {0, msUser, "Preview"},      // the row nobody fills
      {90, msGerman, "Bump map"},  // never translated
      {123, msItalian, "Tasso"},
      {18, msRussian, "Filter values"},
      {11, msEnglish, "Value"},
      {103, msEnglish, "Value"},
  };
  for (const Case& c : cases) EXPECT_EQ(GetLocalizedWord(c.word, c.language), c.text) << c.word;

  struct SystemCase {
    Integer priLangId;
    const char* cancel;
  };
  const SystemCase systems[] = {
      {0x09, "Cancel"},  {0x1D, "Cancel"} /* Swedish */, {0x15, "Cancel"} /* Polish */, {0x07, "Abbrechen"},
      {0x08, "Άκυρο"},   {0x0A, "Cancelar"},  {0x0C, "Annuler"}, {0x10, "Annulla"}, {0x13, "Annuleren"},
      {0x16, "Cancelar"}, {0x19, "Отмена"},   {0x11, "Cancel"} /* Japanese */,
  };
  for (const SystemCase& s : systems) {
    TSysLanguage system(s.priLangId);
    EXPECT_EQ(GetLocalizedWord(4, msSystem), s.cancel) << std::hex << s.priLangId;
  }
  // The language of the machine the test runs on was read at start.
  EXPECT_EQ(SysLocale.PriLangID, PRIMARYLANGID(::GetUserDefaultLangID()));

  // A stored word replaces the entry; an empty one falls back to English again.
  const std::string saved = IEWordTable[msDutch - 1][5];
  SetLocalizedWord(msDutch, 5, "Voorbeeld vastzetten");
  EXPECT_EQ(GetLocalizedWord(5, msDutch), "Voorbeeld vastzetten");
  SetLocalizedWord(msDutch, 5, "");
  EXPECT_EQ(GetLocalizedWord(5, msDutch), "Lock preview");
  SetLocalizedWord(msDutch, 5, saved);
}

TEST(Words, GreekAndRussianAreTheirOwnLetters) {
  // Stored as UTF-8: every Greek and Russian word that is not English is
  // made of letters of its own script (a code-page mix-up gives Latin-1 letters).
  struct Script {
    TMsgLanguage language;
    wchar_t first, last;
  };
  for (const Script& s : {Script{msGreek, 0x0370, 0x03FF}, Script{msRussian, 0x0400, 0x04FF}}) {
    int own = 0;
    for (Integer w = 0; w < IEWordTableWords; ++w) {
      const std::string text = GetLocalizedWord(w, s.language);
      const std::wstring wide = Utf8ToWide(text);
      ASSERT_EQ(WideToUtf8(wide), text) << w;
      bool anyOwn = false, anyHigh = false;
      for (wchar_t c : wide) {
        anyOwn |= c >= s.first && c <= s.last;
        anyHigh |= c >= 0x80 && !(c >= s.first && c <= s.last);
      }
      EXPECT_FALSE(anyHigh) << w << " " << text;
      own += anyOwn;
    }
    EXPECT_GT(own, 70);
  }
}

// What a character looks like in the dialog's font, as a string of pixels.
static std::string Glyph(TBitmap* B, wchar_t C) {
  TCanvas* c = B->Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, B->Width(), B->Height()));
  c->TextOut(2, 2, WideToUtf8(std::wstring(1, C)));
  ::GdiFlush();
  std::string pixels;
  for (Integer y = 0; y < B->Height(); ++y)
    pixels.append(static_cast<const char*>(B->ScanLine(y)), static_cast<size_t>(B->Width()) * 3);
  return pixels;
}

TEST(Words, EveryLanguageShowsInTheDialogFont) {
  // Labels of the dialog's font with words of every language, on a shown form.
  std::unique_ptr<TForm> form(testui::NewForm(420, 11 * 18 + 8));
  form->SetColor(clWhite);
  for (size_t i = 0; i < std::size(kLanguages); ++i) {
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    DialogFont(label->Font(), kLanguages[i]);
    label->SetBounds(4, 4 + Integer(i) * 18, 410, 16);
    label->SetCaption(GetLocalizedWord(37, kLanguages[i]) + " | " + GetLocalizedWord(4, kLanguages[i]) + " | " +
                      GetLocalizedWord(58, kLanguages[i]));
  }
  form->Show();
  ::RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  TBitmap shot;
  shot.SetPixelFormat(pf24bit);
  shot.SetSize(form->Width(), form->Height());
  HDC dc = ::GetDC(form->Handle());
  ::BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), dc, 0, 0, SRCCOPY);
  ::ReleaseDC(form->Handle(), dc);
  SaveBitmapAsPng(&shot, "imaging_words.png");

  // Each distinct letter of those words has a glyph of its own: a missing
  // glyph shows as '?' or as the same box for every letter.
  TBitmap cell;
  cell.SetPixelFormat(pf24bit);
  cell.SetSize(20, 20);
  for (size_t i = 0; i < std::size(kLanguages); ++i) {
    DialogFont(cell.Canvas()->Font(), kLanguages[i]);
    const std::string blank = Glyph(&cell, L' ');
    const std::string question = Glyph(&cell, L'?');
    const std::string box = Glyph(&cell, 0xE000);  // a private-use letter no font has
    std::set<wchar_t> letters;
    for (Integer w : {0, 4, 37, 58})
      for (wchar_t c : Utf8ToWide(GetLocalizedWord(w, kLanguages[i])))
        if (c != L' ' && c != L'?') letters.insert(c);
    std::set<std::string> looks;
    for (wchar_t c : letters) {
      const std::string g = Glyph(&cell, c);
      EXPECT_NE(g, blank) << kLanguageNames[i] << " U+" << std::hex << int(c);
      EXPECT_NE(g, question) << kLanguageNames[i] << " U+" << std::hex << int(c);
      EXPECT_NE(g, box) << kLanguageNames[i] << " U+" << std::hex << int(c);
      looks.insert(g);
    }
    // Upper and lower case of a few letters may look alike; boxes would make one look.
    EXPECT_GE(looks.size() + 2, letters.size()) << kLanguageNames[i];
  }
}
