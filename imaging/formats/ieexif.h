// Reader of the EXIF block a JPEG file carries in an APP1 marker.
#pragma once

#include "imaging/formats/ioparams.h"

// Data: the marker's bytes, "Exif", 0, 0 and a small TIFF structure whose first
// directory holds the EXIF tags and whose second one a thumbnail. Fills the
// EXIF fields of Params and its ExifThumbnail. False (Params untouched) when
// the block does not begin with "Exif" and a 0 byte; true otherwise, even when
// the TIFF structure is damaged (then only what could be read is filled).
bool ReadExifBlock(const void* Data, Integer Length, TIOParamsVals& Params);
