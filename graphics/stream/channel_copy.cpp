// Reading channel files back: a captured file copied whole into another channel
// (downloads, the watermark, a block of application PostScript), or a byte
// range of it copied to the spooler (stored pages and tab sheets). A copy always
// closes the file it read, whether or not it went through.
#include <algorithm>

#include "graphics/core/pdev.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"

namespace {

bool ValidFileRow(int index) { return index >= 1 && index < kOutputChannelCount; }

void CloseReader(OutputChannel& row) {
  if (row.open && row.file != 0) CloseHandle(row.file);
  row.file = 0;
  row.open = FALSE;
  row.reading = FALSE;
}

// Whether the channel has a file to read back (a channel never written has none).
bool HasCapturedFile(const PDEV* pdev, int index) {
  const OutputChannel& row = pdev->output.channels[index];
  return row.path[0] != '\0' && GetFileAttributesA(row.path) != INVALID_FILE_ATTRIBUTES;
}

int EmitCapturedFile(PDEV* pdev, int source) {
  if (pdev == nullptr) return 0;
  if (!FlushOutputBuffer(pdev)) return 0;
  if (!HasCapturedFile(pdev, source)) return 1;
  return CopyChannelFile(pdev, source, static_cast<int>(pdev->output.currentChannel) - 1) ? 1 : 0;
}

}  // namespace

BOOL OpenChannelForReading(PDEV* pdev, int index) {
  if (pdev == nullptr || !ValidFileRow(index)) return FALSE;
  OutputChannel& row = pdev->output.channels[index];
  CloseReader(row);
  if (row.path[0] == '\0') return FALSE;
  HANDLE file = CreateFileA(row.path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return FALSE;
  row.file = file;
  row.open = TRUE;
  row.reading = TRUE;
  return TRUE;
}

BOOL CopyChannelFile(PDEV* pdev, int sourceIndex, int targetIndex) {
  if (pdev == nullptr || sourceIndex == targetIndex || targetIndex < 0 || targetIndex >= kOutputChannelCount) {
    return FALSE;
  }
  if (!OpenChannelForReading(pdev, sourceIndex)) return FALSE;
  OutputChannel& row = pdev->output.channels[sourceIndex];
  BYTE piece[kChannelCopyPiece];
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(row.file, piece, sizeof piece, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    DWORD written = 0;
    if (!WriteChannel(pdev, targetIndex, piece, got, &written)) {
      ok = false;
      break;
    }
  }
  CloseReader(row);
  return ok ? TRUE : FALSE;
}

std::optional<uint64_t> ChannelFileSize(PDEV* pdev, int index) {
  if (pdev == nullptr || !ValidFileRow(index)) return std::nullopt;
  OutputChannel& row = pdev->output.channels[index];
  if (row.path[0] == '\0') return std::nullopt;
  HANDLE file = CreateFileA(row.path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return std::nullopt;
  DWORD high = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = GetFileSize(file, &high);
  const DWORD error = GetLastError();
  CloseHandle(file);
  if (low == INVALID_FILE_SIZE && error != ERROR_SUCCESS) return std::nullopt;
  return (static_cast<uint64_t>(high) << 32) | low;
}

bool CopyRangeToSpooler(PDEV* pdev, int index, uint64_t start, std::optional<uint64_t> end) {
  if (!OpenChannelForReading(pdev, index)) return false;
  OutputChannel& row = pdev->output.channels[index];
  bool ok = true;
  uint64_t stop = 0;
  if (end) {
    stop = *end;
  } else {
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD low = GetFileSize(row.file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) ok = false;
    stop = (static_cast<uint64_t>(high) << 32) | low;
  }
  if (ok && stop > start) {
    LONG high = static_cast<LONG>(start >> 32);
    SetLastError(ERROR_SUCCESS);
    const DWORD low = SetFilePointer(row.file, static_cast<LONG>(start & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) ok = false;
    BYTE piece[kChannelCopyPiece];
    uint64_t remaining = stop - start;
    while (ok && remaining > 0) {
      const DWORD want = static_cast<DWORD>(std::min<uint64_t>(remaining, sizeof piece));
      DWORD got = 0;
      // A file shorter than its records say ends the copy instead of looping.
      if (!ReadFile(row.file, piece, want, &got, nullptr) || got == 0) {
        ok = false;
        break;
      }
      DWORD written = 0;
      if (!WriteChannel(pdev, kSpoolerIndex, piece, got, &written)) ok = false;
      remaining -= got;
    }
  }
  CloseReader(row);
  return ok;
}

BOOL CopyChannelRange(PDEV* pdev, int sourceIndex, ULONGLONG start, ULONGLONG end) {
  if (pdev == nullptr) return FALSE;
  return CopyRangeToSpooler(pdev, sourceIndex, start, end == 0 ? std::nullopt : std::optional<uint64_t>(end)) ? TRUE
                                                                                                              : FALSE;
}

int EmitDownloadFile(PDEV* pdev) { return EmitCapturedFile(pdev, kDownloadsIndex); }

int EmitWatermarkFile(PDEV* pdev) { return EmitCapturedFile(pdev, kWatermarkIndex); }

int ReplayCapturedBlock(PDEV* pdev, int target) {
  if (pdev == nullptr || (target != 1 && target != 2)) return 0;
  if (!FlushOutputBuffer(pdev)) return 0;
  if (!HasCapturedFile(pdev, kCapturedPostScriptIndex)) return 1;
  return CopyChannelFile(pdev, kCapturedPostScriptIndex, target == 2 ? kPagesIndex : kSpoolerIndex) ? 1 : 0;
}
