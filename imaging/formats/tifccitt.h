// Fax coding of bilevel rows for TIFF: modified Huffman (rows byte-aligned),
// Group 3 one- and two-dimensional, and Group 4.
//
// Rows are packed 1 bit per pixel, most significant bit first, (Width + 7) / 8
// bytes. Decoded rows hold 1 for white (the ipkBW1 convention); the encoders
// take rows holding 1 for black (the TIFF writer inverts its image first).
//
// Fill order 1 reads each data byte from its most significant bit, any other
// value from its least significant bit. Bit positions count from bit 0 of
// Data; a decoder never reads past DataSize bytes (missing bits read as 0) and
// a row it cannot finish keeps what was decoded, the rest white.
#pragma once

#include <vector>

#include "platform/Classes.h"

// One one-dimensional row starting at BitPos (EOL codes before it are
// skipped; an EOL inside the row ends it and is left for the next row).
// Returns the bit position after the row.
Integer FaxDecode1DRow(Byte* Row, const Byte* Data, Integer Width, Integer FillOrder, Integer BitPos,
                       Integer DataSize);
// One modified Huffman row starting at bit 0; returns the bytes it used.
Integer FaxDecodeMHRow(Byte* Row, const Byte* Data, Integer Width, Integer FillOrder, Integer DataSize);
// One two-dimensional row (Group 3 two-dimensional or Group 4) against
// Reference, the previous decoded row (all white before a strip's first
// row); Reference then holds the new row. With FillBits a run of 12 or more
// zero bits up to the next 1 is an EOL. A Group 3 row whose EOL is followed by
// tag bit 1 is decoded one-dimensionally. Returns the bit position after the row.
// Changes, when given, holds the reference row's changes as they were coded
// (empty before a strip's first row) and is handed the new row's: an encoder
// may code against an empty run, which Reference's pixels cannot show.
// Without it the changes are taken from Reference.
Integer FaxDecode2DRow(Byte* Row, const Byte* Data, Integer DataSize, bool FillBits, Integer FillOrder,
                       Integer BitPos, Byte* Reference, Integer Width, std::vector<Integer>* Changes = nullptr);

// Encoders. A short write sets Abort. The one- and two-dimensional encoders
// carry a row's trailing partial byte (CarriedBits bits of CarriedByte, from
// its top) into the next row; a final call with Row nil flushes it, padded
// with zero bits to a whole byte.

// One row, padded to a whole byte.
void FaxEncodeMHRow(const Byte* Row, Integer Width, TStream* Stream, bool& Abort);
// One row; with Eol it begins with EOL, which Group 3 files need (readers
// find their one-dimensional rows by it).
void FaxEncode1DRow(const Byte* Row, Integer Width, TStream* Stream, bool& Abort, Integer& CarriedBits,
                    Byte& CarriedByte, bool Eol);
// EOL and tag bit before every row: the first row (Reference empty) is coded
// one-dimensionally, every later one two-dimensionally against the row before.
// The final call writes one EOL and empties Reference.
void FaxEncodeG3Row(const Byte* Row, Integer Width, TStream* Stream, bool& Abort, std::vector<Byte>& Reference,
                    Integer& CarriedBits, Byte& CarriedByte);
// Every row two-dimensionally against the row before (all white before the
// first). The final call writes EOFB (two EOLs) and empties Reference.
void FaxEncodeG4Row(const Byte* Row, Integer Width, TStream* Stream, bool& Abort, std::vector<Byte>& Reference,
                    Integer& CarriedBits, Byte& CarriedByte);
