// The thumbnail view's cases of views_bench.
#include <cstdio>

void BenchThumbnailViews(double) { std::printf("thumbnail view: no cases yet\n"); }
