// Writes a TBitmap as a PNG file (uncompressed deflate), so tests can keep a
// picture of what they drew.
#pragma once

#include <string>

class TBitmap;

// Saves the bitmap as 24-bit RGB PNG; returns false when the file cannot be written.
bool SaveBitmapAsPng(TBitmap* Bitmap, const std::string& Path);
