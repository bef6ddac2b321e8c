#include "tests/graphics/fake_device_fonts.h"
#include "graphics/output/download/release_font_lists.h"
#include "graphics/output/fonts/free_font_substitution.h"

#include "graphics/core/pdev.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/font_substitution.h"

namespace graphicstest {
namespace {

unsigned char g_tokens[64];

}  // namespace

FontLog& Fonts() {
  static FontLog log;
  return log;
}

void ResetFontLog() { Fonts() = FontLog{}; }

DeviceFontList* FakeFontList(int n) { return reinterpret_cast<DeviceFontList*>(&g_tokens[n % 16]); }
FontSubstitutionTable* FakeSubstitutionTable(int n) {
  return reinterpret_cast<FontSubstitutionTable*>(&g_tokens[16 + n % 16]);
}
DownloadedFontList* FakeDownloadList(int n) { return reinterpret_cast<DownloadedFontList*>(&g_tokens[32 + n % 16]); }

}  // namespace graphicstest

DeviceFontList* LoadInstalledFonts(HANDLE printer, const char* printerName, ModelRecord* record, XDEVMODE* devmode) {
  graphicstest::FontLog& log = graphicstest::Fonts();
  log.listRequests.push_back(
      {printer, printerName ? printerName : "", record, devmode, devmode ? devmode->dmPrivate._nPDL : WORD{0}});
  return log.listAnswer;
}

void FreeFontSubstitution(FontSubstitutionTable** table) {
  if (!table || !*table) return;
  graphicstest::Fonts().substitutionsFreed.push_back(*table);
  *table = nullptr;
}

void ReleaseFontLists(PDEV* pdev) {
  if (!pdev) return;
  for (DownloadedFontList*& list : pdev->downloadedFonts) {
    if (list) graphicstest::Fonts().downloadListsReleased.push_back(list);
    list = nullptr;
  }
}
