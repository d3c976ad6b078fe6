/* The same measurements as gif_bench, with giflib: the best of the runs in
 * CPU time (user + system) and in wall time of
 *   open   - DGifOpenFileName + DGifSlurp
 *   decode - DGifOpen on the file's bytes in memory + DGifSlurp
 *   encode - EGifOpen into new memory + EGifSpew
 *   encode-reused - the same into one block written over again
 *   save   - EGifOpenFileName + EGifSpew
 * Built and run by gif_bench.sh: giflib_bench <file.gif> <out.gif> [repeats]
 */
#include <gif_lib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double Clock(clockid_t Which) {
  struct timespec t;
  clock_gettime(Which, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

typedef struct {
  double cpu, wall;
} Times;

static Times Now(void) {
  Times t = {Clock(CLOCK_PROCESS_CPUTIME_ID), Clock(CLOCK_MONOTONIC)};
  return t;
}

/* Keeps in Best the shorter of its times and those since Start. */
static void Keep(Times* Best, Times Start) {
  const Times end = Now();
  if (end.cpu - Start.cpu < Best->cpu) Best->cpu = end.cpu - Start.cpu;
  if (end.wall - Start.wall < Best->wall) Best->wall = end.wall - Start.wall;
}

typedef struct {
  unsigned char* data;
  size_t size, pos;
} Buffer;

static int ReadMemory(GifFileType* gif, GifByteType* out, int n) {
  Buffer* b = (Buffer*)gif->UserData;
  if ((size_t)n > b->size - b->pos) n = (int)(b->size - b->pos);
  memcpy(out, b->data + b->pos, (size_t)n);
  b->pos += (size_t)n;
  return n;
}

static int WriteMemory(GifFileType* gif, const GifByteType* in, int n) {
  Buffer* b = (Buffer*)gif->UserData;
  if (b->pos + (size_t)n > b->size) {
    size_t size = b->size ? b->size : 1 << 16;
    while (size < b->pos + (size_t)n) size *= 2;
    b->data = realloc(b->data, size);
    b->size = size;
  }
  memcpy(b->data + b->pos, in, (size_t)n);
  b->pos += (size_t)n;
  return n;
}

static void Fail(const char* what, int error) {
  fprintf(stderr, "giflib_bench: %s: %s\n", what, GifErrorString(error));
  exit(1);
}

static GifFileType* SlurpFile(const char* name) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(name, &error);
  if (!gif) Fail("open", error);
  if (DGifSlurp(gif) != GIF_OK) Fail("slurp", gif->Error);
  return gif;
}

/* Writes what Source holds through an encoder opened by Open. */
static void Spew(GifFileType* source, GifFileType* out) {
  out->SWidth = source->SWidth;
  out->SHeight = source->SHeight;
  out->SColorResolution = source->SColorResolution;
  out->SBackGroundColor = source->SBackGroundColor;
  out->AspectByte = source->AspectByte;
  out->SColorMap = source->SColorMap ? GifMakeMapObject(source->SColorMap->ColorCount, source->SColorMap->Colors) : NULL;
  out->ImageCount = source->ImageCount;
  out->SavedImages = source->SavedImages;
  out->ExtensionBlockCount = source->ExtensionBlockCount;
  out->ExtensionBlocks = source->ExtensionBlocks;
  /* The images now belong to the encoder, which frees them when it closes. */
  source->SavedImages = NULL;
  source->ImageCount = 0;
  source->ExtensionBlocks = NULL;
  source->ExtensionBlockCount = 0;
  if (EGifSpew(out) != GIF_OK) Fail("spew", out->Error);
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: giflib_bench <file.gif> <out.gif> [repeats]\n");
    return 2;
  }
  const int repeats = argc > 3 ? atoi(argv[3]) : 5;
  Times open = {1e30, 1e30}, decode = open, encode = open, encodeReused = open, save = open;
  Buffer reused = {0, 0, 0};
  Buffer file = {0, 0, 0};
  FILE* f = fopen(argv[1], "rb");
  if (!f) return 1;
  fseek(f, 0, SEEK_END);
  file.size = (size_t)ftell(f);
  fseek(f, 0, SEEK_SET);
  file.data = malloc(file.size);
  if (fread(file.data, 1, file.size, f) != file.size) return 1;
  fclose(f);
  for (int r = 0; r < repeats; ++r) {
    int error = 0;
    Times t = Now();
    GifFileType* gif = SlurpFile(argv[1]);
    Keep(&open, t);
    DGifCloseFile(gif, &error);

    file.pos = 0;
    t = Now();
    gif = DGifOpen(&file, ReadMemory, &error);
    if (!gif) Fail("open memory", error);
    if (DGifSlurp(gif) != GIF_OK) Fail("slurp memory", gif->Error);
    Keep(&decode, t);
    DGifCloseFile(gif, &error);

    gif = SlurpFile(argv[1]);
    Buffer out = {0, 0, 0};
    t = Now();
    GifFileType* enc = EGifOpen(&out, WriteMemory, &error);
    if (!enc) Fail("open encoder", error);
    Spew(gif, enc);
    Keep(&encode, t);
    free(out.data);
    DGifCloseFile(gif, &error);

    gif = SlurpFile(argv[1]);
    reused.pos = 0;
    t = Now();
    enc = EGifOpen(&reused, WriteMemory, &error);
    if (!enc) Fail("open encoder", error);
    Spew(gif, enc);
    Keep(&encodeReused, t);
    DGifCloseFile(gif, &error);

    gif = SlurpFile(argv[1]);
    t = Now();
    enc = EGifOpenFileName(argv[2], false, &error);
    if (!enc) Fail("create", error);
    Spew(gif, enc);
    Keep(&save, t);
    DGifCloseFile(gif, &error);
  }
  printf("open %.4f %.4f\ndecode %.4f %.4f\nencode %.4f %.4f\nencode-reused %.4f %.4f\nsave %.4f %.4f\n", open.cpu,
         open.wall, decode.cpu, decode.wall, encode.cpu, encode.wall, encodeReused.cpu, encodeReused.wall, save.cpu,
         save.wall);
  free(reused.data);
  free(file.data);
  return 0;
}
