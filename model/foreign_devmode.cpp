#include "model/foreign_devmode.h"

#include <cstring>
#include <string_view>

#include "model/devmode_lookup.h"
#include "platform/base/text_cut.h"

namespace {

// A field that holds a NUL is left as it is; a full one is cut before its last
// whole character, and the rest of the field cleared.
template <size_t N>
void Terminate(char (&field)[N]) {
  if (std::memchr(field, 0, N)) return;
  const size_t kept = platform::CutPoint(std::string_view(field, N), N - 1);
  std::memset(field + kept, 0, N - kept);
}

template <size_t N>
void Terminate(WCHAR (&field)[N]) {
  for (WCHAR c : field) {
    if (c == 0) return;
  }
  const size_t kept = platform::CutPoint(std::u16string_view(field, N), N - 1);
  for (size_t i = kept; i < N; ++i) field[i] = 0;
}

constexpr WORD kOutputTrayBase = 256;
constexpr SHORT kTicketMediaBase = 256;

bool IsValidTicketRange(const PageTicketSourceRange& range, const ModelRecord& record) {
  if (range.firstPage < 0 || range.lastPage < range.firstPage) return false;
  if (range.sourceId != 0 && !devmode::HasPaperSource(record, range.sourceId)) return false;
  if (range.mediaTypeId != 0 &&
      (range.mediaTypeId <= kTicketMediaBase || !devmode::HasMediaType(record, range.mediaTypeId - kTicketMediaBase))) {
    return false;
  }
  return true;
}

bool IsValidCustomPaperRow(INT index, const ModelRecord& record) {
  if (index == -1) return true;
  if (index < 0 || index >= kModelMaxPapers) return false;
  // Only rows of the table: the first empty row ends it.
  for (int i = 0; i <= index; ++i) {
    if (record.papers[i].id == 0) return false;
  }
  return record.papers[index].userSizeMark != 0;
}

}  // namespace

void TerminateDevmodeTexts(XDEVMODE* devmode) {
  if (!devmode) return;
  Terminate(devmode->dmPublic.dmDeviceName);
  Terminate(devmode->dmPublic.dmFormName);
  XDEVMODE_PRIVATE& extra = devmode->dmPrivate;
  Terminate(extra._sAccount);
  Terminate(extra._sNote);
  Terminate(extra._sMacroName);
  Terminate(extra._sInsertSheets);
  Terminate(extra._wmCurrent.text);
  Terminate(extra._wmCurrent.faceName);
  Terminate(extra._wmCurrent.styleName);
  Terminate(extra._sPortName);
  Terminate(extra.documentName);
  Terminate(extra._wsPrinterName);
  Terminate(extra.applicationPath);
}

void CheckDevmodeIndexes(XDEVMODE* devmode, const ModelRecord& record) {
  if (!devmode) return;
  XDEVMODE_PRIVATE& extra = devmode->dmPrivate;

  if (extra._nOutputTray != 0 &&
      (extra._nOutputTray < kOutputTrayBase || !devmode::HasOutputBin(record, extra._nOutputTray - kOutputTrayBase))) {
    extra._nOutputTray = 0;
  }

  if (!IsValidCustomPaperRow(extra._nCustomPaperIndex, record)) devmode::SetDefaultCustomPaper(extra, record);

  for (PageTicketSourceRange& range : extra.pageTicketRanges) {
    if (!IsValidTicketRange(range, record)) {
      range = PageTicketSourceRange{};
    } else if (range.duplex != 0) {
      range.duplex = 1;
    }
  }
}

void AcceptForeignDevmode(XDEVMODE* devmode, const ModelRecord* record) {
  TerminateDevmodeTexts(devmode);
  if (record) CheckDevmodeIndexes(devmode, *record);
}
