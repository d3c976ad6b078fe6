// Writes every corpus file again, with both encoders, into the folder named by
// GIF_INTEROP_DIR, for interop_check.sh to compare with other decoders.
// Without that variable there is nothing to do.
#include <cstdlib>

#include "tests/gif/gif_test_util.h"

using namespace giftest;

namespace {

const char* const kCorpus[] = {
    "bw1_17x13",          "gray2_31x7",        "c3_23x11",           "c4_interlaced_40x29",
    "c5_interlaced_3x37", "c8_64x48",          "noise8_100x80",      "one_1x1",
    "anim_local_maps",    "anim_disposals",    "anim_transparent",   "gs_interlaced_offset",
    "gs_87a_64x48",       "comments_app",      "plaintext",          "big_frame",
};

TEST(Interop, WriteCorpusCopies) {
  const char* dir = std::getenv("GIF_INTEROP_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "GIF_INTEROP_DIR not set";
  for (const char* name : kCorpus) {
    TGIFImage img;
    img.LoadFromFile(DataPath(std::string(name) + ".gif"));
    img.SetCompressionKind(ckLZW);
    img.SaveToFile(std::string(dir) + "/" + name + ".lzw.gif");
    img.SetCompressionKind(ckRLE);
    img.SaveToFile(std::string(dir) + "/" + name + ".rle.gif");
  }
}

}  // namespace
