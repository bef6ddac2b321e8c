// The menu of a CShellExt: which entries the printer's settings allow, the popup
// that holds them, and what each command id starts.
#include <algorithm>

#include "common/settings_store.h"
#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "platform/base/errors.h"
#include "platform/base/os_version.h"
#include "platform/base/processes.h"
#include "platform/base/profile.h"
#include "platform/base/resources.h"
#include "platform/shell/shell_execute.h"
#include "platform/spooler/spooler.h"
#include "shellext/driver_files.h"
#include "shellext/module_state.h"
#include "shellext/printer_queries.h"
#include "shellext/registration.h"
#include "shellext/shell_ext.h"
#include "shellext/shell_ext_ids.h"

namespace shellext {
namespace {

constexpr UINT kNoMenuFlag = 0x10000;
constexpr DWORD kVersionSize = 16;
constexpr DWORD kReadmeNameSize = 128;
constexpr DWORD kReadmePathSize = 260;
constexpr char kNoReadme[] = "???";

HRESULT CommandsUsed(size_t count) { return MAKE_HRESULT(SEVERITY_SUCCESS, 0, count); }

std::string LoadText(UINT id) {
  char text[256] = {};
  LoadStringA(ModuleInstance(), id, text, sizeof text);
  return text;
}

bool MultiQueuePlatform() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return false;
  return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 1);
}

bool MonitorOn(const SettingsLibrary& settings, HANDLE printer) {
  DWORD monitor = 0;
  return settings.GetDword(printer, kStorePrinterData, "Printer", "Monitor", monitor) && monitor != 0;
}

UINT HelpTextId(int kind) {
  switch (kind) {
    case kKindMonitor: return 101;
    case kKindReadme: return 102;
    case kKindQuickTabs: return 107;
    default: return 0;
  }
}

}  // namespace

bool CShellExt::AddMenuItem(int kind) {
  if (itemKinds_.size() >= kMaxItems) return false;
  itemKinds_.push_back(kind);
  return true;
}

void CShellExt::AddCommand(HMENU popup, UINT firstId, UINT lastId, int kind, const std::string& target, LPCSTR text) {
  // Ids beyond the range the shell gave would belong to another handler.
  const UINT id = firstId + static_cast<UINT>(commands_.size());
  if (id < firstId || id > lastId) return;
  if (!AppendMenuA(popup, MF_STRING, id, text)) return;
  commands_.push_back(Command{kind, target});
}

const CShellExt::Command* CShellExt::CommandAt(UINT_PTR offset) const {
  return offset < commands_.size() ? &commands_[offset] : nullptr;
}

HRESULT CShellExt::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) {
  // Every call builds the menu afresh: nothing of an earlier one remains.
  itemKinds_.clear();
  commands_.clear();
  if (((flags & 0x0F) != 0 && !(flags & (CMF_VERBSONLY | CMF_EXPLORE))) || (flags & kNoMenuFlag)) {
    return CommandsUsed(0);
  }
  if (printerName_.empty()) return CommandsUsed(0);
  OpenedPrinter printer(printerName_, 0);
  if (!printer) return CommandsUsed(0);
  const std::string dataFile = DriverDataFile(printer.get());
  if (dataFile.empty()) return CommandsUsed(0);
  const std::string dataFolder = FolderOf(dataFile);
  SettingsLibrary settings(dataFolder);
  // The value set-up writes once it registered this extension for the printer.
  if (!settings || ReadPrinterDword(printer.get(), "Shellext3D5").value_or(0) != 1) return CommandsUsed(0);

  // Another driver version may have its handler registered elsewhere.
  std::string stored;
  if (!settings.GetString(0, kStoreMachine, "Local", "DriverVersion", kVersionSize, stored) ||
      !platform::EqualsNoCaseAnsi(stored, GetUiDllProductVersion())) {
    RegisterShellExtensionFor(printerName_.c_str());
  }

  char readme[kReadmeNameSize] = {};
  GetPrivateProfileStringA("General", "Readme", kNoReadme, readme, sizeof readme, dataFile.c_str());
  const bool hasReadme = readme[0] != '\0' && std::string(readme) != kNoReadme;
  const std::optional<PrinterInfo4> info = ReadPrinterInfo4(printer.get());
  const bool hasQuickTabs = GetPrivateProfileIntA("Features", "QuickTabs", 0, dataFile.c_str()) != 0 && info &&
                            (info->attributes & PRINTER_ATTRIBUTE_LOCAL);

  const bool multi = MultiQueuePlatform() && !deviceFlag_ && queues_.size() > 1;
  std::vector<std::string> monitored;
  if (multi) {
    for (const std::string& queue : queues_) {
      OpenedPrinter opened(queue, 0);
      if (opened && MonitorOn(settings, opened.get())) monitored.push_back(queue);
    }
  } else if (MonitorOn(settings, printer.get())) {
    monitored.push_back(printerName_);
  }
  if (!hasReadme && !hasQuickTabs && monitored.empty()) return CommandsUsed(0);

  HMENU popup = CreatePopupMenu();
  if (!popup) return CommandsUsed(0);
  if (hasReadme && AddMenuItem(kKindReadme)) {
    AddCommand(popup, firstId, lastId, kKindReadme, printerName_, LoadText(kKindReadme).c_str());
  }
  // One entry, or in multi mode a popup with one command per queue.
  auto addEntry = [&](int kind, const std::vector<std::string>& targets) {
    if (!AddMenuItem(kind)) return;
    const std::string text = LoadText(static_cast<UINT>(kind));
    if (!multi) {
      AddCommand(popup, firstId, lastId, kind, targets.front(), text.c_str());
      return;
    }
    HMENU queues = CreatePopupMenu();
    for (const std::string& queue : targets) AddCommand(queues, firstId, lastId, kind, queue, queue.c_str());
    AppendMenuA(popup, MF_POPUP, static_cast<UINT_PTR>(queues), text.c_str());
  };
  if (hasQuickTabs) addEntry(kKindQuickTabs, multi ? queues_ : std::vector<std::string>{printerName_});
  if (!monitored.empty()) addEntry(kKindMonitor, monitored);

  if (commands_.empty()) {
    DestroyMenu(popup);
    itemKinds_.clear();
    return CommandsUsed(0);
  }
  InsertMenuA(menu, index, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  InsertMenuA(menu, index + 1, MF_BYPOSITION | MF_POPUP, static_cast<UINT_PTR>(popup), LoadText(kPopupTitle).c_str());
  InsertMenuA(menu, index + 2, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  return CommandsUsed(commands_.size());
}

HRESULT CShellExt::InvokeCommand(LPCMINVOKECOMMANDINFO info) {
  if (!info || !IS_INTRESOURCE(info->lpVerb)) return E_INVALIDARG;
  const Command* command = CommandAt(LOWORD(info->lpVerb));
  if (!command) return E_INVALIDARG;
  OpenedPrinter printer(command->target, PRINTER_ACCESS_USE);
  if (!printer) return E_INVALIDARG;
  const std::string dataFolder = FolderOf(DriverDataFile(printer.get()));
  const std::optional<PrinterInfo4> printerInfo = ReadPrinterInfo4(printer.get());
  const std::string queueName = printerInfo && !printerInfo->name.empty() ? printerInfo->name : command->target;

  std::string file;
  std::string parameters;
  switch (command->kind) {
    case kKindMonitor:
      file = PackageFile(dataFolder, kMonitorProgram);
      parameters = "_{" + queueName + "}_ NORMAL";
      break;
    case kKindReadme: {
      SettingsLibrary settings(dataFolder);
      if (!settings.GetString(printer.get(), kStoreModelDescription, "General", "Readme", kReadmePathSize, file) ||
          file.empty()) {
        return E_FAIL;
      }
      break;
    }
    case kKindQuickTabs:
      file = PackageFile(dataFolder, kQuickTabsProgram);
      parameters = queueName;
      break;
    default: return E_INVALIDARG;
  }

  if (command->kind == kKindQuickTabs) {
    // One quick-tabs program at a time.
    if (!LastQuickTabsEnded()) return S_FALSE;
    SHELLEXECUTEINFOA start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.hwnd = info->hwnd;
    start.lpVerb = "open";
    start.lpFile = file.c_str();
    start.lpParameters = parameters.c_str();
    start.lpDirectory = dataFolder.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&start)) return HRESULT_FROM_WIN32(GetLastError());
    KeepQuickTabsProcess(start.hProcess);
    return S_OK;
  }
  const HINSTANCE answer =
      ShellExecuteA(info->hwnd, "open", file.c_str(), parameters.c_str(), dataFolder.c_str(), SW_SHOWNORMAL);
  if (answer <= 32) return HRESULT_FROM_WIN32(answer == SE_ERR_PNF ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
  return S_OK;
}

HRESULT CShellExt::GetCommandString(UINT_PTR offset, UINT type, UINT*, LPSTR buffer, UINT size) {
  const Command* command = CommandAt(offset);
  switch (type) {
    case GCS_VALIDATEA:
    case GCS_VALIDATEW: return command ? S_OK : S_FALSE;
    case GCS_VERBA:
    case GCS_VERBW:
      // The commands have no language-independent verbs.
      return E_NOTIMPL;
    case GCS_HELPTEXTA:
    case GCS_HELPTEXTW: break;
    default: return E_INVALIDARG;
  }
  if (!command || !buffer || size == 0) return E_INVALIDARG;
  const UINT id = HelpTextId(command->kind);
  const int max = static_cast<int>(std::min<UINT>(size, 0x7FFFFFFF));
  if (type == GCS_HELPTEXTW) {
    auto* wide = reinterpret_cast<LPWSTR>(buffer);
    wide[0] = 0;
    if (id) LoadStringW(ModuleInstance(), id, wide, max);
  } else {
    buffer[0] = '\0';
    if (id) LoadStringA(ModuleInstance(), id, buffer, max);
  }
  return S_OK;
}

}  // namespace shellext
