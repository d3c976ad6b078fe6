// Writes every corpus file again, with both encoders, into the folder named by
// GIF_INTEROP_DIR, for interop_check.sh to compare with other decoders.
// Without that variable it writes them into a temporary folder and reads them back.
#include <cstdlib>
#include <cstring>

#include "platform/SysUtils.h"
#include "tests/gif/gif_test_util.h"

using namespace giftest;

namespace {

const char* const kCorpus[] = {
    "bw1_17x13",          "gray2_31x7",        "c3_23x11",           "c4_interlaced_40x29",
    "c5_interlaced_3x37", "c8_64x48",          "noise8_100x80",      "one_1x1",
    "anim_local_maps",    "anim_disposals",    "anim_transparent",   "gs_interlaced_offset",
    "gs_87a_64x48",       "comments_app",      "plaintext",          "big_frame",
};

// Without GIF_INTEROP_DIR the copies go to a temporary folder and are read
// back here: each must give the frames and pixels of its original.
TEST(Interop, WriteCorpusCopies) {
  const char* dir = std::getenv("GIF_INTEROP_DIR");
  const bool own = !dir || !*dir;
  const std::string folder = own ? GetTempPathStr() + "gif-interop-" + IntToStr(::GetCurrentProcessId()) : dir;
  if (own) ::CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr);
  for (const char* name : kCorpus) {
    SCOPED_TRACE(name);
    TGIFImage img;
    img.LoadFromFile(DataPath(std::string(name) + ".gif"));
    for (TGIFCompressionKind ck : {ckLZW, ckRLE}) {
      const std::string copy = folder + "/" + name + (ck == ckLZW ? ".lzw.gif" : ".rle.gif");
      img.SetCompressionKind(ck);
      img.SaveToFile(copy);
      if (!own) continue;
      TGIFImage back;
      back.LoadFromFile(copy);
      DeleteFile(copy);
      ASSERT_EQ(back.Frames()->ItemCount(), img.Frames()->ItemCount());
      for (Integer i = 0; i < img.Frames()->ItemCount(); ++i) {
        TGIFSubImage* f = img.Frames()->FrameAt(i);
        TGIFSubImage* g = back.Frames()->FrameAt(i);
        EXPECT_EQ(g->BoundsRect(), f->BoundsRect());
        ASSERT_EQ(g->DataSize(), f->DataSize());
        EXPECT_TRUE(f->DataSize() == 0 || std::memcmp(g->Data(), f->Data(), size_t(f->DataSize())) == 0) << i;
      }
    }
  }
  if (own) ::RemoveDirectoryW(Utf8ToWide(folder).c_str());
}

}  // namespace
