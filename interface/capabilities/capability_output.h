// Writing capability answers into the caller's buffer. The buffer comes from an
// application or the spooler with no alignment promised, so every element is
// copied in bytewise.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/base/types.h"

// Element index of a list of T.
template <class T>
void PutCapabilityElement(void* output, size_t index, T value) {
  std::memcpy(static_cast<BYTE*>(output) + index * sizeof(T), &value, sizeof value);
}

// Name index of a list of fixed slots of slotChars wide characters: the ANSI name
// converted, cut to whole characters so that its NUL fits, the rest of the slot
// zeroed.
void PutCapabilityName(void* output, size_t index, int slotChars, const char* ansiName);
