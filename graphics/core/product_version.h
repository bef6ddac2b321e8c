// The graphics library's product version, read from its own version resource:
// the driver version of the job header and the device mode's dmDriverVersion.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

// Kinds of GetProductVersionString.
constexpr int kProductVersionText = 1;

// The ProductVersion of the U.S. English Unicode string table ("040904b0") of
// the module's version resource, in the ANSI code page, into buffer (length
// bytes): at most length - 1 bytes of it, whole characters, then zero bytes to
// the end of the buffer. The version resource has no other language read: a
// resource without that table gives the empty text. 1; 0 for a kind other than
// kProductVersionText, no buffer, or a module without a version resource.
int GetProductVersionString(HMODULE module, char* buffer, DWORD length, int kind);

// The same walk over a version resource held in memory (size bytes, no byte
// outside them is read): the text into out (capacity bytes, always terminated
// when capacity > 0, at most 39 bytes of version). True when the text was found;
// false, with the empty text, when the resource is malformed or lacks it.
bool ReadProductVersion(const void* resource, size_t size, char* out, size_t capacity);

// dmDriverVersion of the graphics library: the word its product version gives (0
// when it has none).
WORD GraphicsDriverVersionWord(HMODULE module);
