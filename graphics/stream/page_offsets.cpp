// The page-offset records of a job: where each stored page, its settings
// section ("ticket"), the document trailer and each tab sheet begin in the
// pages and tab files, so that the end of the document can send them in
// another order. They are kept in memory and written to the job's page-offset
// file (an ini file) in one go when the stored pages are read back. Offsets are
// 64-bit decimal numbers: a pages file of a large raster job passes 2 and 4 GB.
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "graphics/core/pdev.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"
#include "graphics/stream/page_offset_records.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"

namespace {

const char kPageOffsets[] = "Page Offsets";
const char kPageTickets[] = "Page Tickets";
const char kPaperSize[] = "Paper Size";
const char kFeedDirection[] = "Feed Direction";
const char kPageTabs[] = "Page Tabs";
const char kDocTrailer[] = "DocTrailer";

std::string Decimal(int64_t value) { return std::to_string(value); }

std::string TabKey(int n, const char* suffix) { return Decimal(n) + suffix; }

bool WriteNumber(PDEV* pdev, const char* section, const std::string& key, int64_t value) {
  PageOffsetRecords* records = pdev->output.records;
  if (records == nullptr) {
    // A lost record would send pages from the wrong place: the job is not whole.
    MarkOutputFailed(pdev);
    return false;
  }
  try {
    records->Set(section, key, value);
  } catch (const std::bad_alloc&) {
    MarkOutputFailed(pdev);
    return false;
  }
  return true;
}

std::optional<int64_t> ReadNumber(PDEV* pdev, const char* section, const std::string& key) {
  const PageOffsetRecords* records = pdev->output.records;
  if (records == nullptr) return std::nullopt;
  return records->Get(section, key);
}

std::optional<uint64_t> ReadOffset(PDEV* pdev, const char* section, const std::string& key) {
  auto value = ReadNumber(pdev, section, key);
  if (!value || *value < 0) return std::nullopt;
  return static_cast<uint64_t>(*value);
}

uint64_t PagesWritten(const PDEV* pdev) { return pdev->output.channels[kPagesIndex].bytesWritten; }

// Where a stored page ends: the document trailer after the last page, else the
// next page's start; nothing when that record is missing.
std::optional<uint64_t> PageEnd(PDEV* pdev, int page, int last) {
  return ReadOffset(pdev, kPageOffsets, page == last ? std::string(kDocTrailer) : Decimal(int64_t{page} + 1));
}

int CopyPages(PDEV* pdev, uint64_t start, std::optional<uint64_t> end) {
  return CopyRangeToSpooler(pdev, kPagesIndex, start, end) ? 1 : 0;
}

}  // namespace

BOOL ReadPageOffsetValue(PDEV* pdev, const char* section, const char* key, LONGLONG* value) {
  if (pdev == nullptr || section == nullptr || key == nullptr || value == nullptr) return FALSE;
  auto number = ReadNumber(pdev, section, key);
  if (!number) return FALSE;
  *value = *number;
  return TRUE;
}

BOOL RecordPageOffsetValue(PDEV* pdev, const char* section, const char* key, LONGLONG value) {
  if (pdev == nullptr || section == nullptr || key == nullptr) return FALSE;
  return WriteNumber(pdev, section, key, value) ? TRUE : FALSE;
}

void ForgetPageOffsetValue(PDEV* pdev, const char* section, const char* key) {
  if (pdev == nullptr || section == nullptr || key == nullptr || pdev->output.records == nullptr) return;
  pdev->output.records->Erase(section, key);
}

int WritePageOffsetFile(PDEV* pdev) {
  if (pdev == nullptr || pdev->output.records == nullptr) return 0;
  if (!EnsureChannelPath(pdev, kPageOffsetsIndex)) return 0;
  std::string text;
  try {
    text = pdev->output.records->Text();
  } catch (const std::bad_alloc&) {
    return 0;
  }
  HANDLE file = CreateFileA(pdev->output.channels[kPageOffsetsIndex].path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return 0;
  DWORD put = 0;
  const BOOL ok = text.empty() || WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  CloseHandle(file);
  return ok && put == text.size() ? 1 : 0;
}

int RecordPageOffset(PDEV* pdev, BOOL withPaper) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  const PageRecordState& record = pdev->output.pageRecord;
  const std::string key = Decimal(record.page);
  if (!WriteNumber(pdev, kPageOffsets, key, static_cast<int64_t>(PagesWritten(pdev)))) return 0;
  if (withPaper) {
    if (!WriteNumber(pdev, kPaperSize, key, record.paper)) return 0;
    if (!WriteNumber(pdev, kFeedDirection, key, static_cast<int32_t>(record.feedDirection))) return 0;
  }
  return 1;
}

int RecordPageTicket(PDEV* pdev) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  return WriteNumber(pdev, kPageTickets, Decimal(pdev->output.pageRecord.page),
                     static_cast<int64_t>(PagesWritten(pdev)))
             ? 1
             : 0;
}

int RecordDocTrailer(PDEV* pdev) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  return WriteNumber(pdev, kPageOffsets, kDocTrailer, static_cast<int64_t>(PagesWritten(pdev))) ? 1 : 0;
}

int RecordTabStart(PDEV* pdev, int n) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  const uint64_t offset = pdev->output.channels[kTabsIndex].bytesWritten;
  return WriteNumber(pdev, kPageTabs, TabKey(n, "start"), static_cast<int64_t>(offset)) ? 1 : 0;
}

int RecordTabEnd(PDEV* pdev, int n, LONGLONG correction) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  int64_t offset = static_cast<int64_t>(pdev->output.channels[kTabsIndex].bytesWritten) - correction;
  if (offset < 0) offset = 0;
  return WriteNumber(pdev, kPageTabs, TabKey(n, "end"), offset) ? 1 : 0;
}

int EmitStoredPageHead(PDEV* pdev, int page, int last) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  if (page > last) return 1;
  auto start = ReadOffset(pdev, kPageOffsets, Decimal(page));
  auto ticket = ReadOffset(pdev, kPageTickets, Decimal(page));
  if (!start || !ticket || *ticket == 0 || *ticket <= *start) return 1;
  return CopyPages(pdev, *start, *ticket);
}

int EmitStoredPage(PDEV* pdev, int page, int last, BOOL fromTicket) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  if (page > last) return 1;
  auto offset = ReadOffset(pdev, kPageOffsets, Decimal(page));
  auto ticket = ReadOffset(pdev, kPageTickets, Decimal(page));
  if (!offset || !ticket) return 1;
  return CopyPages(pdev, fromTicket ? *ticket : *offset, PageEnd(pdev, page, last));
}

int EmitStoredPageBody(PDEV* pdev, int page, int last, DWORD tail) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  if (page > last) return 1;
  auto start = ReadOffset(pdev, kPageTickets, Decimal(page));
  if (!start) return 1;
  auto end = PageEnd(pdev, page, last);
  if (!end) end = ChannelFileSize(pdev, kPagesIndex);
  if (!end || *end < tail || *end - tail <= *start) return 1;
  return CopyPages(pdev, *start, *end - tail);
}

int EmitStoredDocTrailer(PDEV* pdev) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  auto start = ReadOffset(pdev, kPageOffsets, kDocTrailer);
  if (!start) return 1;
  return CopyPages(pdev, *start, std::nullopt);
}

int EmitStoredTabSheets(PDEV* pdev, int first, int last) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  if (first == -1) {
    // The latest tab sheet captured up to `last`.
    for (int k = last; k >= 1; --k) {
      if (ReadOffset(pdev, kPageTabs, TabKey(k, "start"))) {
        first = k;
        break;
      }
    }
    if (first == -1) return 1;
  }
  auto start = ReadOffset(pdev, kPageTabs, TabKey(first, "start"));
  if (!start) return 1;
  auto end = ReadOffset(pdev, kPageTabs, TabKey(first == 0 ? 0 : last, "end"));
  return CopyRangeToSpooler(pdev, kTabsIndex, *start, end) ? 1 : 0;
}
