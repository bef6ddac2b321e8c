#include "graphics/output/page/page_setup_support.h"

#include <cmath>
#include <cstring>

#include "common/job_sheet_blocks.h"
#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings_lookup.h"
#include "graphics/stream/output.h"
#include "model/constraints.h"

namespace pagesetup {

bool IsPclJob(const PDEV* pdev) { return !IsPostScriptJob(pdev) && IsPclFamilyPdl(pdev->devmode.dmPrivate._nPDL); }

int WriteText(PDEV* pdev, const char* text) { return WriteOut(pdev, kWriteText, 0, text) > 0 || *text == '\0'; }

int WriteFormatted(PDEV* pdev, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int length = FormatOutV(pdev->lineBuffer, sizeof pdev->lineBuffer, format, args);
  va_end(args);
  if (length < 0) return 0;
  return length == 0 || WriteOut(pdev, kWriteBytes, length, pdev->lineBuffer) == length;
}

int WriteBytes(PDEV* pdev, const void* data, int length) {
  return length == 0 || WriteOut(pdev, kWriteBytes, length, data) == length;
}

float FloatForOut(double value) { return static_cast<float>(value + std::copysign(0.00001, value)); }

int LeaveHpgl(PDEV* pdev) {
  if (!pdev->job.inHpgl) return 1;
  pdev->job.inHpgl = 0;
  return WriteText(pdev, "\x1b%0A");
}

void ClearTextStates(PDEV* pdev) {
  std::memset(pdev->carried.savedTextStates, 0, sizeof pdev->carried.savedTextStates);
}

void ForgetSelectedFont(PDEV* pdev) {
  pdev->currentFont = kNoCurrentFont;
  ClearTextStates(pdev);
}

const PaperSourceEntry* FindPaperSource(const PDEV* pdev, DWORD source) {
  if (pdev->model == nullptr || source <= 256) return nullptr;
  const DWORD id = source - 256;
  for (const PaperSourceEntry& entry : pdev->model->paperSources) {
    if (entry.id == 0) break;
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

const InsertedSheetSetting* InsertedSetting(const PDEV* pdev, DWORD kind) {
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  switch (kind) {
    case 1: return &extra._epBanner;
    case 2: return &extra._epSlipSheet;
    case 4: return &extra._epFrontCover;
    case 8: return &extra._epBackCover;
    case 16: return &extra.epInterleaf;
    default: return nullptr;
  }
}

const PageTicketRow* TicketRow(const PDEV* pdev, int row) {
  if (row < 0 || pdev->pageTickets.rows == nullptr) return nullptr;
  if (static_cast<DWORD>(row) >= pdev->pageTickets.rowCount) return nullptr;
  return &pdev->pageTickets.rows[row];
}

bool IsSheetKind(DWORD kind) { return kind != 0 && kind <= 256 && (kind & (kind - 1)) == 0; }

DWORD SheetSource(const PDEV* pdev, DWORD kind, int row) {
  if (const InsertedSheetSetting* setting = InsertedSetting(pdev, kind)) return setting->source;
  if (const PageTicketRow* ticket = TicketRow(pdev, row)) return static_cast<DWORD>(ticket->value2);
  return 15;
}

bool SheetPrinted(const PDEV* pdev, DWORD kind, int row) {
  if (const InsertedSheetSetting* setting = InsertedSetting(pdev, kind)) return setting->printed != 0;
  if (const PageTicketRow* ticket = TicketRow(pdev, row)) return ticket->imageFlag != 0;
  return false;
}

bool SheetTakesDuplex(const PDEV* pdev, DWORD source) {
  if (pdev->model == nullptr || pdev->devmode.dmPrivate._nDuplex == 0) return false;
  const PaperSourceEntry* entry = FindPaperSource(pdev, source);
  if (entry == nullptr || (entry->s3 & 1) == 0) return false;
  XDEVMODE probe = pdev->devmode;
  probe.dmPublic.dmDefaultSource = static_cast<SHORT>(source);
  return IsChoiceConstrained(pdev->model, &probe, kCodeDuplex, 1) == 0;
}

const PaperEntry* CurrentPaperRow(const PDEV* pdev) {
  if (pdev->model == nullptr) return nullptr;
  return devicesettings::FindPaperRow(*pdev->model, devicesettings::CurrentPaper(pdev),
                                      devicesettings::CurrentFeed(pdev));
}

}  // namespace pagesetup
