// What the stream's files share inside the output stream: the job folder and
// channel paths, the failure mark, and copies of file ranges to the spooler.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/base/types.h"

struct PDEV;

constexpr DWORD kChannelCopyPiece = 4096;
constexpr int kSpoolerIndex = 0;
constexpr int kPagesIndex = 1;
constexpr int kDownloadsIndex = 2;
constexpr int kWatermarkIndex = 3;
constexpr int kPageOffsetsIndex = 4;
constexpr int kTabsIndex = 6;
constexpr int kCapturedPostScriptIndex = 7;

// Marks the job failed: every later write is refused until the next document.
void MarkOutputFailed(PDEV* pdev);
// Builds the channel's file path in the job's folder (made when missing) when
// the row has none yet; false when no folder or path could be had.
bool EnsureChannelPath(PDEV* pdev, int index);
// The size of the channel's file, nothing when it cannot be read.
std::optional<uint64_t> ChannelFileSize(PDEV* pdev, int index);
// Copies [start, end) of the channel's file to the spooler; no end: to the end
// of the file. True when every byte of the range went out.
bool CopyRangeToSpooler(PDEV* pdev, int index, uint64_t start, std::optional<uint64_t> end);
