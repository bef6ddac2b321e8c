// The scrambling of the text field of some three-field settings records: each byte
// b becomes one byte with b / 9 in its high nibble and b % 9 in its low nibble.
// Only bytes below 144 (16 * 9) have such a form, so text with a byte of 144 or
// more (every double-byte character of code page 932) is refused rather than
// stored in a form that reads back as other text.
#pragma once

#include <cstddef>

// Both answer 1, or 0 for a NULL argument, an output smaller than the text and its
// NUL, or a text they cannot convert; a refused text leaves an empty output.
int EncodeBase9Text(char* out, size_t outSize, const char* text);
// A byte whose low nibble is above 8 is no encoding of any byte and is refused.
int DecodeBase9Text(char* out, size_t outSize, const char* text);
