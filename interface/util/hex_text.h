// Texts as upper-case hexadecimal digits, two per byte, high nibble first: the
// form in which settings profile names are stored.
#pragma once

// Writes at most size - 1 bytes and a NUL. The first digit of a pair gives the
// high nibble ("0"-"9", "A"-"F"; anything else counts as 0), the second the low
// nibble (anything else, or a missing digit, adds nothing). Answers 0, or -1 when
// the result was cut (or nothing could be written).
int HexToBytes(const char* hex, char* buffer, int size);

// Writes two digits per byte of the text while they fit with the NUL. Answers -1
// when the whole text fitted, else 0.
int BytesToHex(const char* text, char* buffer, int size);
