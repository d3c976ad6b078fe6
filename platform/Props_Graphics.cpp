// Published properties of the graphics classes: colours by name, fonts,
// pens, brushes, and the binary "Data" of graphics and pictures.
#include "platform/FormReader.h"
#include "platform/Graphics.h"
#include "platform/TypInfo.h"

void RegisterGraphicsProps() {
  RegisterIntegerConsts("TColor", TIdentMapper{
      [](const std::string& ident, Int64& value) {
        TColor c;
        if (!IdentToColor(ident, c)) return false;
        value = c;
        return true;
      },
      [](Int64 value, std::string& ident) { return ColorToIdent(static_cast<TColor>(value), ident); }});

  RegisterEnum<TFontStyle>("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  RegisterEnum<TFontPitch>("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
  RegisterEnum<TPenStyle>("TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
                                        "psInsideFrame"});
  RegisterEnum<TPenMode>("TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                                      "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
                                      "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"});
  RegisterEnum<TBrushStyle>("TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                            "bsBDiagonal", "bsCross", "bsDiagCross"});

  RegisterClassInfo<TGraphicsObject, TPersistent>("TGraphicsObject");
  // Size is derived from Height; only Height is stored, as the original does.
  RegisterClassInfo<TFont, TGraphicsObject>("TFont")
      .Int("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET)
      .Color("Color", &TFont::Color, &TFont::SetColor, clWindowText)
      .Int("Height", &TFont::Height, &TFont::SetHeight)
      .Str("Name", &TFont::Name, &TFont::SetName, std::nullopt)
      .Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, fpDefault)
      .Int("Size", &TFont::Size, &TFont::SetSize)
      .Stored([](TFont*) { return false; })
      .Set<TFontStyle>("Style", &TFont::Style, &TFont::SetStyle, TFontStyles{});
  RegisterClassInfo<TPen, TGraphicsObject>("TPen")
      .Color("Color", &TPen::Color, &TPen::SetColor, clBlack)
      .Enum("Mode", &TPen::Mode, &TPen::SetMode, pmCopy)
      .Enum("Style", &TPen::Style, &TPen::SetStyle, psSolid)
      .Int("Width", &TPen::Width, &TPen::SetWidth, 1);
  RegisterClassInfo<TBrush, TGraphicsObject>("TBrush")
      .Color("Color", &TBrush::Color, &TBrush::SetColor, clWhite)
      .Enum("Style", &TBrush::Style, &TBrush::SetStyle, bsSolid);

  RegisterClassInfo<TGraphic, TPersistent>("TGraphic").Define([](TGraphic* g, TFiler* filer) {
    filer->DefineBinaryProperty(
        "Data", [g](TStream* s) { g->ReadData(s); }, [g](TStream* s) { g->WriteData(s); }, !g->Empty());
  });
  RegisterClassInfo<TBitmap, TGraphic>("TBitmap");
  RegisterClassInfo<TIcon, TGraphic>("TIcon");
  RegisterClassInfo<TMetafile, TGraphic>("TMetafile");
  RegisterClassInfo<TPicture, TPersistent>("TPicture").Define([](TPicture* p, TFiler* filer) {
    filer->DefineBinaryProperty(
        "Data", [p](TStream* s) { p->ReadData(s); }, [p](TStream* s) { p->WriteData(s); },
        p->Graphic() && !p->Graphic()->Empty());
  });
}
