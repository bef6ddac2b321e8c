// The output stream's part of a device context's record: the buffer that every
// writer fills, the channel it drains into and the table of channels (channel 1
// is the spooler, the others temporary files of the job).
#pragma once

#include <cstdint>

#include "platform/base/types.h"

constexpr int kOutputChannelCount = 8;
// The output buffer holds 64 KB of stream bytes plus room for a formatted line's
// tail, so that a writer never has to split a short item.
constexpr DWORD kOutputBufferBytes = 0x10000;
constexpr DWORD kOutputBufferAllocation = 0x1000c;

struct OutputChannel {
  char path[MAX_PATH];    // the channel's temporary file ("" for the spooler)
  HANDLE file = 0;        // open file handle, 0 when closed
  BOOL open = FALSE;      // the file has been created for this job
  uint64_t bytesWritten = 0;
};

struct OutputState {
  BYTE* buffer = nullptr;     // kOutputBufferAllocation bytes, owned
  DWORD fill = 0;             // bytes waiting in the buffer
  DWORD currentChannel = 1;   // 1-based
  DWORD savedChannel = 1;
  OutputChannel channels[kOutputChannelCount];
  BOOL failed = FALSE;        // a write to the spooler failed: the job is lost, stop writing
};
