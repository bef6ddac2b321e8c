// Telling the user that a step failed with a Win32 error code.
#pragma once

#include "platform/base/types.h"

// A message box without owner, with the error icon and the caption "エラー": the
// library's string messageId, a blank, then "メモリ外" for error 8 (no memory
// left) or "エラーコード <value>" for any other value.
void ShowValueError(UINT messageId, int value);

// The text of that message box.
void FormatValueError(UINT messageId, int value, char* buffer, int size);
