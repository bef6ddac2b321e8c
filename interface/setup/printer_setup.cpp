#include "interface/setup/printer_setup.h"

#include <string>

#include "common/xdevmode.h"
#include "interface/app/drv_trace.h"
#include "interface/app/library_state.h"
#include "interface/app/settings_library.h"
#include "interface/devmode/default_devmode.h"
#include "interface/devmode/field_map.h"
#include "interface/setup/first_use.h"
#include "interface/setup/printer_handle.h"
#include "interface/setup/setup_steps.h"
#include "interface/setup/temp_folder.h"
#include "interface/util/library_folder.h"
#include "model/config_counter.h"
#include "model/model_cache.h"
#include "platform/base/codepage.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"

namespace {

// The printer's default settings; for a new printer also its global default
// device mode, which every user starts from who has none of their own.
void StoreDefaultDevmode(HANDLE printer, const char* printerName, const ModelRecord* record, bool initialise) {
  XDEVMODE devmode{};
  if (!BuildDefaultDevmode(&devmode, printer, record, printerName, kPdlOfModel) || !initialise) return;
  PRINTER_INFO_8W info{reinterpret_cast<LPDEVMODEW>(&devmode)};
  SetPrinterW(printer, 8, reinterpret_cast<LPBYTE>(&info), 0);
}

// Whether the current user may change the printer and its data.
bool MayChangePrinter(const std::u16string& printerName) {
  ScopedPrinter trial;
  return trial.Open(printerName, PRINTER_ALL_ACCESS);
}

}  // namespace

BOOL SetUpPrinterConnection(LPCWSTR printerName, bool initialise) {
  DrvTrace("Printing System\n");
  const DWORD access = initialise ? PRINTER_ALL_ACCESS : 0;
  ScopedPrinter printer;
  if (!printer.Open(platform::Utf16FromZ(printerName), access)) return FALSE;

  // A user who may not change the printer connects to it as it is: the
  // printer's data belongs to whoever administers it.
  const bool mayChange = initialise || MayChangePrinter(platform::Utf16FromZ(printerName));

  LibrarySettings().SetupFolders();
  CreateTempFolder();
  if (!StoreHostDriverData(printer.get(), mayChange)) return FALSE;
  const std::string folder = LibraryFolder();

  // The version stored before this set-up tells CheckFirstUseAndVersion whether
  // the driver changed; it is read before this set-up stores the current one.
  const std::string previousVersion = ReadStoredDriverVersion();
  StoreDriverVersion();
  if (initialise) {
    CopyDefaultInstalledOptions(printer.get());
  } else if (mayChange && CopyDefaultInstalledOptions(printer.get(), true)) {
    // Options the printer lacked were added: caches of the model record reload.
    IncrementConfigCounter(LibrarySettings(), printer.get());
  }
  if (mayChange) PublishDevModeFieldMap(printer.get());

  std::u16string ownName;
  if (!printer.ReadName(ownName)) return FALSE;
  const std::string name = platform::FromUtf16(ownName);
  if (mayChange) RegisterShellExtensionOnce(printer.get(), folder, name.c_str());

  // From here on the printer is addressed by its own name (a connection may have
  // been opened under another).
  printer.Close();
  if (!printer.Open(ownName, access)) return FALSE;

  if (initialise) {
    StoreInitialPrinterSettings(printer.get());
    // A printer of this name may have been deleted and added again with another
    // model: its counter then starts again where the old record's stamp stood.
    FreeModelRecords(name.c_str());
  }
  if (const ModelRecord* record = GetModelRecord(printer.get(), name.c_str(), kModelReloadWhenChanged)) {
    CheckFirstUseAndVersion(printer.get(), name.c_str(), record, previousVersion);
    StoreDefaultDevmode(printer.get(), name.c_str(), record, initialise);
  }
  return TRUE;
}
