// For tiff_read_interop.py: decodes every file of TIFF_READ_INTEROP_DIR\in
// with our TIFF reader into out\<name>.ppm (or out\<name>.refused holding the
// reason), with the test's LZW decoder installed; then reads each again
// without an LZW decoder and notes the outcome in out\<name>.nohook.
// Without that variable there is nothing to do.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/tiffilt.h"
#include "platform/SysUtils.h"
#include "tiff_read_util.h"

namespace {

void WriteText(const std::string& Path, const std::string& Text) {
  TFileStream f(Path, fmCreate);
  if (!Text.empty()) f.WriteBuffer(Text.data(), Integer(Text.size()));
}

void WritePpm(TIEBitmap& B, const std::string& Path) {
  TFileStream f(Path, fmCreate);
  const std::string head = "P6\n" + std::to_string(B.Width()) + " " + std::to_string(B.Height()) + "\n255\n";
  f.WriteBuffer(head.data(), Integer(head.size()));
  std::vector<Byte> row(size_t(B.Width()) * 3);
  for (Integer y = 0; y < B.Height(); ++y) {
    for (Integer x = 0; x < B.Width(); ++x) {
      const uint32_t p = fmtt::Pixel(B, x, y);
      row[3 * size_t(x)] = Byte(p >> 16);
      row[3 * size_t(x) + 1] = Byte(p >> 8);
      row[3 * size_t(x) + 2] = Byte(p);
    }
    f.WriteBuffer(row.data(), Integer(row.size()));
  }
}

// Aborted or not, with the reason.
bool Decode(const std::string& Path, TIEBitmap& B, TTiffLzwDecoder Hook, std::string& Reason) {
  TMemoryStream s;
  s.LoadFromFile(Path);
  s.SetPosition(0);
  TIOParamsVals params;
  params.TiffLzwDecoder = Hook;
  fmtt::TProgressBox p;
  std::unique_ptr<TIEMask> alpha;
  Integer count = 0;
  IEClearFilterError();
  ReadTiffStream(&B, &s, count, true, false, alpha, false, p.Record, params);
  Reason = IELastFilterError();
  if (!p.Abort && (B.Width() == 0 || B.Height() == 0)) {
    Reason = "no image";
    return false;
  }
  return !p.Abort;
}

TEST(TiffReadInterop, DecodeEveryFile) {
  const char* env = std::getenv("TIFF_READ_INTEROP_DIR");
  if (!env || !*env) GTEST_SKIP() << "TIFF_READ_INTEROP_DIR not set";
  const std::string dir = env;
  const auto files = fmtt::FilesIn(dir + "\\in");
  ASSERT_FALSE(files.empty());
  for (const std::string& name : files) {
    const std::string in = dir + "\\in\\" + name, out = dir + "\\out\\" + name;
    {
      TIEBitmap b;
      b.SetLocation(islMemory);
      std::string reason;
      if (Decode(in, b, tifft::LzwDecodeRow, reason))
        WritePpm(b, out + ".ppm");
      else
        WriteText(out + ".refused", reason.empty() ? "(no reason)" : reason);
    }
    TIEBitmap b;
    b.SetLocation(islMemory);
    std::string reason;
    WriteText(out + ".nohook", Decode(in, b, nullptr, reason) ? "ok" : "refused: " + reason);
  }
}

}  // namespace
