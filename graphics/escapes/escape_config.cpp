// The printer's configuration changed while a device context is open: the
// set-up program sends UPDATE_CONFIG after it wrote the printer's settings,
// the user-interface library FONTLIST_REFRESH after the installed fonts of a
// printer changed. The library's cached model record of that printer is
// reloaded, so the next device context and job see the new configuration.
// With action 1 the printer's device-font list for the language named in the
// block leaves the font-list cache, and this device context takes a freshly
// built list when it is that printer's. With action 2 (the user saved the
// font substitution table) a document open on that printer and language takes
// the saved table. The old list is only retired: other
// device contexts, and the font metrics GDI was handed, still point into it.
//
// A device context in use keeps the copy of the record it was set up from:
// its page geometry, fonts and device mode were derived from that copy, and
// mixing in a record that changed under it would leave the job half old, half
// new.
#include <cstring>

#include "graphics/core/model_description.h"
#include "graphics/core/pdev.h"
#include "graphics/escapes/escapes.h"
#include "graphics/output/fonts/device_font_list_cache.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/font_substitution.h"
#include "graphics/output/fonts/free_font_substitution.h"
#include "platform/base/codepage.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr size_t kPrinterNameOffset = 4;
constexpr size_t kPrinterNameBytes = 260;
constexpr size_t kPdlFlagsOffset = 264;
constexpr DWORD kActionReloadFontList = 1;
constexpr DWORD kActionReloadSubstitution = 2;

void ReloadOwnPrinter(PDEV* pdev) { GetModelRecord(pdev->engineDevice, pdev->printer, pdev->carried.printerName); }

void ReloadOtherPrinter(const char* name) {
  HANDLE printer = 0;
  if (!OpenPrinterA(const_cast<char*>(name), &printer, nullptr)) return;
  GetModelRecord(0, printer, name);
  ClosePrinter(printer);
}

ULONG FontListRefresh(PDEV* pdev, ULONG inSize, const void* in) {
  if (in == nullptr || inSize < kFontListRefreshBlockBytes) return RefuseEscape();
  // The name is copied terminated: the sender's may fill all 260 bytes.
  char name[kPrinterNameBytes + 1] = {};
  std::memcpy(name, static_cast<const BYTE*>(in) + kPrinterNameOffset, kPrinterNameBytes);
  if (name[0] == '\0') return 0;
  DWORD action = 0;
  WORD pdlFlags = 0;
  std::memcpy(&action, in, sizeof action);
  std::memcpy(&pdlFlags, static_cast<const BYTE*>(in) + kPdlFlagsOffset, sizeof pdlFlags);
  const bool own = lstrcmpiA(name, pdev->carried.printerName) == 0;
  if (own) {
    ReloadOwnPrinter(pdev);
  } else {
    ReloadOtherPrinter(name);
  }
  if (action == kActionReloadFontList) {
    DropCachedFontLists(name, pdlFlags);
    if (own)
      pdev->carried.deviceFonts =
          LoadInstalledFonts(pdev->printer, pdev->carried.printerName, pdev->model, &pdev->devmode);
  }
  // The user saved the substitution table: this device context prints the
  // rest of its document with it (a new document builds it anyway).
  if (action == kActionReloadSubstitution && own && pdev->fontSubstitution &&
      pdlFlags == pdev->devmode.dmPrivate._nPDL) {
    FreeFontSubstitution(&pdev->fontSubstitution);
    pdev->fontSubstitution =
        BuildFontSubstitutionTable(pdev->printer, pdev->carried.printerName, pdlFlags, pdev->carried.deviceFonts, 0);
  }
  return 0;
}

}  // namespace

ULONG ServeConfigEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in) {
  switch (escape) {
    case kEscFontListRefresh: return FontListRefresh(pdev, inSize, in);
    case kEscUpdateConfig: ReloadOwnPrinter(pdev); return 0;
    default: return 0;
  }
}
