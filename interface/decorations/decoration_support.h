// Small pieces the page decorations share.
#pragma once

#include <cstring>
#include <string>

#include "common/driver_escapes.h"
#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// Sends a private escape with a DWORD input and no answer.
void SendEscapeDword(HDC dc, ULONG escape, DWORD value);

// The resolution the decoration is laid out in: the device mode's print
// quality, or the device's when the device mode names a quality class.
int DecorationDpi(HDC dc, const XDEVMODE* devmode);

// The model's paper row of a paper id; nullptr when the model has none.
const PaperEntry* FindModelPaper(const ModelRecord& record, int paperId);

// The file name, without folder and extension, of the application that owns
// the device mode.
std::string ApplicationBaseName(const XDEVMODE& devmode);

// ASCII letters compared without regard to case.
bool EqualsIgnoreCase(const std::string& a, const char* b);

// Copies a fixed text field into a fixed buffer, terminated whatever the field holds.
template <size_t N, size_t M>
void CopyTerminated(char (&to)[N], const char (&from)[M]) {
  constexpr size_t kBytes = (N - 1 < M) ? N - 1 : M;
  size_t length = 0;
  while (length < kBytes && from[length] != '\0') ++length;
  std::memcpy(to, from, length);
  to[length] = '\0';
}
