// Import of an AVI file's first video stream as GIF frames, through the
// platform's AVIFile interface: every sample, decoded, becomes a frame whose
// delay follows the stream's rate.
#pragma once

#include <string>

#include "platform/System.h"

class TGIFImage;
class TStream;
class TfrmProgress;

// A frame delay in hundredths of a second for a stream of Rate / Scale samples
// per second (Scale div 100 when Rate is 0), held to what a GIF frame keeps
// (0 .. 65535).
Integer AviFrameDelay(Cardinal Rate, Cardinal Scale);

// Writes a decoded sample (a packed device-independent bitmap: information
// header, colour table, pixel rows) to Stream as a BMP file with a 40-byte
// header, a colour table of the entries the sample declares and bottom-up rows.
// The first entries of the stream's colour table (Format, FormatSize bytes: an
// information header and its colours; may be null) take the place of the
// sample's when the sample has a colour table. False, with nothing written,
// for a sample no bitmap holds (an unknown header, depth or compression, or a
// size beyond a GIF frame's).
bool WriteAviSampleAsBmp(const void* Sample, const void* Format, Integer FormatSize, TStream* Stream);

// Fills Image from the video stream of the AVI file at Path (its extension
// taken as ".avi"), reporting each stage in Progress, which also says when the
// user cancelled (its modal result is mrCancel). A failed AVIFile step raises
// an Exception with the stage's message; everything acquired is released.
void ImportAviToGif(TGIFImage* Image, const std::string& Path, TfrmProgress* Progress);
