// The output stream's part of a device context's record: the buffer that every
// writer fills, the channel it drains into and the table of channels (channel 1
// is the spooler, the others temporary files of the job).
#pragma once

#include <cstdint>

#include "platform/base/types.h"

class PageOffsetRecords;

constexpr int kOutputChannelCount = 8;
// The output buffer holds 64 KB of stream bytes plus room for a formatted line's
// tail, so that a writer never has to split a short item.
constexpr DWORD kOutputBufferBytes = 0x10000;
constexpr DWORD kOutputBufferAllocation = 0x1000c;

struct OutputChannel {
  char path[MAX_PATH] = {};  // the channel's temporary file ("" for the spooler)
  HANDLE file = 0;           // open file handle, 0 when closed
  BOOL open = FALSE;         // the handle is valid (for the spooler row: the job is open)
  BOOL reading = FALSE;      // the handle was opened to read the file back
  // Bytes written to the file since it was created (for the spooler: accepted by
  // it). 64-bit: a pages file of a large raster job passes 4 GB.
  uint64_t bytesWritten = 0;
};

// The page the page-offset records describe: the page store sets it when it
// starts storing a page (its page number, paper id and feed direction).
struct PageRecordState {
  int32_t page = 0;
  SHORT paper = 0;
  DWORD feedDirection = 0;
};

struct OutputState {
  BYTE* buffer = nullptr;    // kOutputBufferAllocation bytes, owned
  DWORD fill = 0;            // bytes waiting in the buffer
  DWORD currentChannel = 1;  // 1-based
  DWORD savedChannel = 1;
  OutputChannel channels[kOutputChannelCount];
  // A write to the spooler or a channel file failed: the job is incomplete, and
  // every later write is refused until the next document starts.
  BOOL failed = FALSE;
  // The job's own folder for its channel files ("" until made) and the number
  // that names the files in it; unique per process and document.
  char jobFolder[MAX_PATH] = {};
  DWORD jobNumber = 0;
  PageRecordState pageRecord;
  // The page-offset records of the document, owned (made by InitChannelFiles,
  // freed with the channel files).
  PageOffsetRecords* records = nullptr;
};
