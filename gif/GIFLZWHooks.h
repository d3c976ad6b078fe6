// The GIF library's LZW coder in the calling form of the image library's GIF
// hooks: plain index buffers, rows from the top in display order.
#pragma once

#include "platform/Classes.h"
#include "platform/System.h"

// The stream stands at the LZW minimum code size byte; fills Width x Height
// indices (de-interlaced) and leaves the stream after the data's terminator.
// Raises GIFException on data that cannot be decoded.
void GIFLZWDecodeIndices(TStream* Stream, Integer Height, Integer Width, Byte* Indices, bool Interlaced);
// Writes the minimum code size byte, the data sub-blocks and the terminator.
void GIFLZWEncodeIndices(TStream* Stream, Integer Height, Integer Width, Integer BitsPerPixel, const Byte* Indices,
                         bool Interlaced);
