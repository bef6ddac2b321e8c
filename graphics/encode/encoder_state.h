// The encoders' part of a device context's record: the bytes an ASCII85 stream
// carries from one call to the next and the encoders' output buffer.
#pragma once

#include "platform/base/types.h"

constexpr DWORD kEncoderBufferBytes = 2048;

struct EncoderState {
  BYTE carry[4] = {};  // bytes of an unfinished ASCII85 group
  BYTE buffer[kEncoderBufferBytes] = {};
  DWORD carryCount = 0;
  WORD word = 0;  // characters on the current ASCII85 line
};
