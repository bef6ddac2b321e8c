// Byte encoders of the job stream: the two text encodings of binary PostScript
// data (ASCIIHex, ASCII85), the PostScript RunLengthDecode form, PCL raster
// compression methods 2 (PackBits) and 3 (delta row) with the rule that picks
// one per row, and the HP-GL/2 polyline-encoded number.
//
// None of them allocates; all write into a buffer the caller owns. The ones
// that take a capacity never write past it, line feeds and end markers
// included: when the whole result does not fit, they stop before the first
// unit that does not (a byte's two digits, an ASCII85 group, a run or literal,
// a line feed), so the text is a prefix of the whole result and a decoder never
// sees half a unit. Output that fits is unchanged by the checks. Bytes after the
// returned length, inside the capacity (or the bound a function documents),
// may be overwritten: the fast paths store whole words.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

// ASCIIHex: two upper-case digits per byte, a line feed after every 100 digits.
// At most capacity / 2 bytes are encoded. Returns the characters written; 0 when
// a pointer is null.
DWORD EncodeAsciiHex(const BYTE* source, DWORD count, BYTE* destination, DWORD capacity);

// ASCII85 of whole groups of 4 bytes (the last may be shorter), a line feed
// when a line reaches 100 characters or more. Groups are taken while at least
// 5 characters of capacity remain. No "~>". Returns the characters written; 0
// when a pointer is null, count < 1 or capacity < 1.
DWORD EncodeAscii85(const BYTE* source, DWORD count, BYTE* destination, DWORD capacity);

// One ASCII85 group of 1-4 bytes into destination (room for 5 characters):
// "z" for four zero bytes, else count + 1 base-85 digits. Returns the characters
// written (0 for a count outside 1-4 or a null pointer).
DWORD EncodeAscii85Group(const BYTE* source, DWORD count, BYTE* destination);

// PostScript RunLengthDecode data: runs of 3-128 equal bytes as (257 - n, byte),
// other bytes as literals of at most 128 (n - 1, bytes). With addEndMarker the
// byte 128 follows. A null source encodes nothing (only the marker, if asked).
// Returns the bytes written; 0 when the destination is null or capacity < 1.
DWORD EncodeRunLength(const BYTE* source, DWORD count, BYTE* destination, DWORD capacity, BOOL addEndMarker);

// The most bytes CompressPackBits writes for a row of count bytes.
constexpr DWORD PackBitsBound(DWORD count) { return count + (count + 127) / 128; }
// The most bytes CompressDeltaRow writes for a row of count bytes.
constexpr DWORD DeltaRowBound(DWORD count) { return count + (count + 7) / 8; }

// PCL raster method 2 (PackBits) of one row; trailing zero bytes are dropped
// (the printer fills the row with zeros). destination must hold
// PackBitsBound(count) bytes. Returns the bytes written.
DWORD CompressPackBits(DWORD count, const BYTE* row, BYTE* destination);

// PCL raster method 3 (delta row) of one row against the seed row, which is
// updated to equal the row. destination must hold DeltaRowBound(count) bytes.
// Returns the bytes written (0 when the row equals its seed).
DWORD CompressDeltaRow(DWORD count, const BYTE* row, BYTE* seed, BYTE* destination);

// Picks the PCL compression method for a row: 0 (none), 2 (PackBits) or
// 3 (delta row), from how many bytes equal the seed row and how many equal
// their predecessor.
int ChooseRasterCompression(const BYTE* row, DWORD count, const BYTE* seed, DWORD seedCount);

// The most bytes EncodePolylineNumber writes: 6 digits and the terminating 0.
constexpr DWORD kPolylineNumberMaxBytes = 7;

// HP-GL/2 polyline-encoded number in base-64 mode (sign in the low bit, least
// significant digit first, 63-126 continuing digits, 191-254 the last one),
// followed by a 0 byte. destination must hold kPolylineNumberMaxBytes bytes.
// Returns the index of the last digit.
int EncodePolylineNumber(int32_t value, BYTE* destination);
