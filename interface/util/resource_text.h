// The library's numbered strings, in the language of the machine's string tables.
#pragma once

#include "platform/base/types.h"

// The library's string id into the buffer, cut to size - 1 bytes without splitting
// a double-byte character; an empty text when the library has no such string.
// Answers the buffer; NULL when the buffer is NULL or size is not positive.
char* LoadResString(UINT id, char* buffer, int size);
