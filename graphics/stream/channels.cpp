// The output channels of a job: channel 1 is the spooler, channels 2, 3, 4, 7 and
// 8 temporary files created at their first write; 5 (the page-offset file) and 6
// are never written as channels. A write that does not go through completely
// marks the job failed, so that no later bytes follow a hole in the stream.
#include <cstring>
#include <new>
#include <utility>

#include "graphics/core/pdev.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"
#include "graphics/stream/page_offset_records.h"
#include "graphics/stream/spooler_write.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"

namespace {

// A spooler that answers success without taking anything is asked again a few
// times before the job is given up, so a stalled port cannot hang the driver.
constexpr int kSpoolerStallRetries = 3;

bool IsFileChannel(int index) { return index == 1 || index == 2 || index == 3 || index == 6 || index == 7; }

void CloseRow(OutputChannel& row) {
  if (row.open && row.file != 0 && row.file != INVALID_HANDLE_VALUE) CloseHandle(row.file);
  row.file = 0;
  row.open = FALSE;
  row.reading = FALSE;
}

void ClearRow(OutputChannel& row) {
  row.path[0] = '\0';
  row.file = 0;
  row.open = FALSE;
  row.reading = FALSE;
  row.bytesWritten = 0;
}

BOOL WriteSpooler(PDEV* pdev, const BYTE* data, DWORD length, DWORD* written) {
  OutputChannel& row = pdev->output.channels[kSpoolerIndex];
  DWORD total = 0;
  int stalls = 0;
  BOOL ok = TRUE;
  // The spooler may take less than offered; the rest is offered again.
  while (total < length) {
    DWORD put = 0;
    const BOOL accepted = WriteToSpooler(pdev->printer, const_cast<BYTE*>(data + total), length - total, &put);
    if (put > length - total) put = length - total;
    total += put;
    if (!accepted) {
      ok = FALSE;
      break;
    }
    if (put == 0 && ++stalls > kSpoolerStallRetries) {
      SetLastError(ERROR_WRITE_FAULT);
      ok = FALSE;
      break;
    }
    if (put != 0) stalls = 0;
  }
  row.bytesWritten += total;
  *written = total;
  return ok;
}

BOOL WriteFileChannel(PDEV* pdev, int index, const BYTE* data, DWORD length, DWORD* written) {
  OutputChannel& row = pdev->output.channels[index];
  // A file read back since its last write is created anew: its old content goes.
  if (row.open && row.reading) CloseRow(row);
  if (!row.open) {
    if (!EnsureChannelPath(pdev, index)) return FALSE;
    HANDLE file = CreateFileA(row.path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE || file == 0) return FALSE;
    row.file = file;
    row.open = TRUE;
    row.reading = FALSE;
    row.bytesWritten = 0;
  }
  DWORD put = 0;
  const BOOL ok = WriteFile(row.file, data, length, &put, nullptr);
  row.bytesWritten += put;
  *written = put;
  return ok && put == length;
}

}  // namespace

void MarkOutputFailed(PDEV* pdev) {
  if (pdev != nullptr) pdev->output.failed = TRUE;
}

BOOL WriteChannel(PDEV* pdev, int index, const void* data, DWORD length, DWORD* written) {
  DWORD ignored = 0;
  if (written == nullptr) written = &ignored;
  *written = 0;
  if (pdev == nullptr || (data == nullptr && length > 0)) return FALSE;
  if (index != kSpoolerIndex && !IsFileChannel(index)) return FALSE;  // 5, 6 and others take nothing
  if (pdev->output.failed) return FALSE;
  if (length == 0) return TRUE;
  const BYTE* bytes = static_cast<const BYTE*>(data);
  const BOOL ok = index == kSpoolerIndex ? WriteSpooler(pdev, bytes, length, written)
                                         : WriteFileChannel(pdev, index, bytes, length, written);
  if (!ok) MarkOutputFailed(pdev);
  return ok;
}

BOOL InitChannelFiles(PDEV* pdev) {
  if (pdev == nullptr) return FALSE;
  OutputState& output = pdev->output;
  DeleteChannelFiles(pdev);  // whatever an unfinished earlier document left
  for (OutputChannel& row : output.channels) ClearRow(row);
  output.channels[kSpoolerIndex].open = TRUE;
  output.failed = FALSE;
  output.pageRecord = PageRecordState{};
  output.records = new (std::nothrow) PageOffsetRecords;
  if (output.records == nullptr) return FALSE;
  return EnsureChannelPath(pdev, kPageOffsetsIndex) ? TRUE : FALSE;
}

void DeleteChannelFiles(PDEV* pdev) {
  if (pdev == nullptr) return;
  OutputState& output = pdev->output;
  delete std::exchange(output.records, nullptr);
  for (int index = 1; index < kOutputChannelCount; ++index) {
    OutputChannel& row = output.channels[index];
    CloseRow(row);
    if (row.path[0] != '\0') DeleteFileA(row.path);
    ClearRow(row);
  }
  if (output.jobFolder[0] != '\0') {
    char folder[MAX_PATH];
    std::memcpy(folder, output.jobFolder, sizeof folder);
    const size_t length = std::strlen(folder);
    if (length > 0 && folder[length - 1] == '\\') folder[length - 1] = '\0';
    RemoveDirectoryA(folder);
    output.jobFolder[0] = '\0';
    output.jobNumber = 0;
  }
}

void MoveChannelFiles(PDEV* from, PDEV* to) {
  if (from == nullptr || to == nullptr || from == to) return;
  DeleteChannelFiles(to);
  OutputState& source = from->output;
  OutputState& target = to->output;
  for (int index = 0; index < kOutputChannelCount; ++index) {
    target.channels[index] = source.channels[index];
    if (index != kSpoolerIndex) ClearRow(source.channels[index]);
  }
  std::memcpy(target.jobFolder, source.jobFolder, sizeof target.jobFolder);
  target.jobNumber = source.jobNumber;
  target.failed = source.failed;
  target.currentChannel = source.currentChannel;
  target.savedChannel = source.savedChannel;
  target.pageRecord = source.pageRecord;
  target.records = std::exchange(source.records, nullptr);
  source.jobFolder[0] = '\0';
  source.jobNumber = 0;
}
