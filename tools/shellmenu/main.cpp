// shellmenu: plays the shell for a user of the stand-in machine. It loads the
// driver's shell extension as the shell does (class factory, IShellExtInit,
// IContextMenu), shows the context menu the extension adds for a printer and
// runs the entry the user names.
//
//   shellmenu [--root DIR] [--device] menu PRINTER
//   shellmenu [--root DIR] [--device] run PRINTER readme|quicktabs|monitor [QUEUE]
//
// --device stands for the printer's device object (every queue on its port and
// driver) instead of the queue item. QUEUE picks the queue of a per-queue popup
// (default: PRINTER).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/base/resources.h"
#include "platform/shell/printer_items.h"
#include "platform/shell/shell_extension.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace {

// {5D1C0B7A-93E2-4F6B-8A41-2C7E9B305F18}, as the registry names the handler.
constexpr char kHandlerClass[] = "{5D1C0B7A-93E2-4F6B-8A41-2C7E9B305F18}";
constexpr char kExtensionFile[] = "zelshexd5.dll";
constexpr UINT kFirstId = 1;
constexpr UINT kLastId = 0x7FFF;

int Usage() {
  std::fprintf(stderr,
               "usage: shellmenu [--root DIR] [--device] menu PRINTER\n"
               "       shellmenu [--root DIR] [--device] run PRINTER readme|quicktabs|monitor [QUEUE]\n");
  return 2;
}

std::string Show(const std::string& ansi) { return platform::Utf8FromAnsi(ansi); }

std::string WithoutMnemonic(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

std::string ItemText(HMENU menu, int position) {
  char text[256] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

void PrintMenu(HMENU menu, int depth) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (state != static_cast<UINT>(-1) && (state & MF_SEPARATOR)) {
      std::printf("%s----\n", indent.c_str());
    } else if (HMENU sub = GetSubMenu(menu, i)) {
      std::printf("%s%s\n", indent.c_str(), Show(WithoutMnemonic(ItemText(menu, i))).c_str());
      PrintMenu(sub, depth + 1);
    } else {
      std::printf("%s%s  [%u]\n", indent.c_str(), Show(WithoutMnemonic(ItemText(menu, i))).c_str(),
                  GetMenuItemID(menu, i));
    }
  }
}

// Every local queue on the printer's port with its driver: what the shell's
// device object stands for.
std::vector<std::string> QueuesOfDevice(const std::string& printer) {
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  if (needed == 0 || !EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return {};
  const auto* infos = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  std::string port;
  std::string driver;
  for (DWORD i = 0; i < count; ++i) {
    if (platform::EqualsNoCaseAnsi(infos[i].pPrinterName, printer)) {
      port = infos[i].pPortName;
      driver = infos[i].pDriverName;
    }
  }
  std::vector<std::string> queues;
  for (DWORD i = 0; i < count; ++i) {
    if (platform::EqualsNoCaseAnsi(infos[i].pPortName, port) &&
        platform::EqualsNoCaseAnsi(infos[i].pDriverName, driver)) {
      queues.push_back(infos[i].pPrinterName);
    }
  }
  return queues;
}

// The shell's side of one context menu: the extension object and the menu it filled.
struct ShellSession {
  HMODULE module = 0;
  IContextMenu* menuHandler = nullptr;
  HMENU menu = 0;
  UINT used = 0;

  ~ShellSession() {
    if (menu) DestroyMenu(menu);
    if (menuHandler) menuHandler->Release();
    auto canUnload = reinterpret_cast<PFN_DllCanUnloadNow>(
        reinterpret_cast<void (*)()>(module ? GetProcAddress(module, "DllCanUnloadNow") : nullptr));
    if (module && canUnload && canUnload() == S_OK) FreeLibrary(module);
  }

  bool Open(const std::string& printer, bool device) {
    const std::string path = machinesetup::BuiltDriverFolder() + "\\" + kExtensionFile;
    module = LoadLibraryA(path.c_str());
    if (!module) {
      std::fprintf(stderr, "cannot load %s (error %u)\n", Show(path).c_str(), GetLastError());
      return false;
    }
    auto getClassObject = reinterpret_cast<PFN_DllGetClassObject>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
    GUID clsid{};
    platform::GuidFromText(kHandlerClass, clsid);
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
      std::fprintf(stderr, "the extension serves no class factory\n");
      return false;
    }
    IShellExtInit* init = nullptr;
    HRESULT result = factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init));
    factory->Release();
    if (FAILED(result)) {
      std::fprintf(stderr, "the extension object cannot be made (0x%08X)\n", static_cast<unsigned>(result));
      return false;
    }
    IDataObject* data = platform::CreateShellItemsDataObject(
        {device ? platform::PrinterDeviceItem(QueuesOfDevice(printer), printer) : platform::PrinterQueueItem(printer)});
    result = init->Initialize(nullptr, data, 0);
    data->Release();
    if (SUCCEEDED(result)) result = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menuHandler));
    init->Release();
    if (FAILED(result)) {
      std::fprintf(stderr, "the extension refused the printer (0x%08X)\n", static_cast<unsigned>(result));
      return false;
    }
    menu = CreatePopupMenu();
    result = menuHandler->QueryContextMenu(menu, 0, kFirstId, kLastId, CMF_NORMAL);
    used = SUCCEEDED(result) ? HRESULT_CODE(result) : 0;
    return true;
  }

  // The command id of the entry whose text is `text` (a per-queue popup: its
  // command for `queue`); 0 when the menu has none. An entry for the printer
  // alone answers only when no other queue was asked for.
  UINT Find(HMENU in, const std::string& text, const std::string& queue, bool otherQueue) const {
    for (int i = 0; i < GetMenuItemCount(in); ++i) {
      HMENU sub = GetSubMenu(in, i);
      const std::string item = WithoutMnemonic(ItemText(in, i));
      if (item == text) {
        if (!sub) return otherQueue ? 0 : GetMenuItemID(in, i);
        for (int q = 0; q < GetMenuItemCount(sub); ++q) {
          if (platform::EqualsNoCaseAnsi(ItemText(sub, q), queue)) return GetMenuItemID(sub, q);
        }
        return 0;
      }
      if (sub) {
        if (UINT id = Find(sub, text, queue, otherQueue)) return id;
      }
    }
    return 0;
  }
};

int ShowMenu(const std::string& printer, bool device) {
  ShellSession session;
  if (!session.Open(printer, device)) return 1;
  if (session.used == 0) {
    std::printf("The driver adds nothing to the menu of %s.\n", Show(printer).c_str());
    return 0;
  }
  PrintMenu(session.menu, 0);
  return 0;
}

int Run(const std::string& printer, bool device, const std::string& entry, const std::string& queue) {
  UINT textId = 0;
  if (entry == "readme") textId = 2;
  if (entry == "quicktabs") textId = 8;
  if (entry == "monitor") textId = 1;
  if (!textId) return Usage();
  ShellSession session;
  if (!session.Open(printer, device)) return 1;
  // The user reads the entry's text in the menu.
  char text[256] = {};
  LoadStringA(session.module, textId, text, sizeof text);
  const UINT id = session.Find(session.menu, WithoutMnemonic(text), queue, !platform::EqualsNoCaseAnsi(queue, printer));
  if (id == 0) {
    std::fprintf(stderr, "the menu of %s has no entry \"%s\"%s\n", Show(printer).c_str(),
                 Show(WithoutMnemonic(text)).c_str(), queue == printer ? "" : (" for " + Show(queue)).c_str());
    return 1;
  }
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(id - kFirstId);
  info.nShow = SW_SHOWNORMAL;
  const HRESULT result = session.menuHandler->InvokeCommand(&info);
  if (result == S_OK) {
    std::printf("%s: started\n", Show(WithoutMnemonic(text)).c_str());
    return 0;
  }
  if (result == S_FALSE) {
    std::printf("%s: still running, nothing started\n", Show(WithoutMnemonic(text)).c_str());
    return 0;
  }
  if (result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
    std::fprintf(stderr, "%s: the program is missing from the driver folder\n", Show(WithoutMnemonic(text)).c_str());
  } else {
    std::fprintf(stderr, "%s: failed (0x%08X)\n", Show(WithoutMnemonic(text)).c_str(), static_cast<unsigned>(result));
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool device = false;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--root" && i + 1 < args.size()) {
      // The programs the menu starts run on the same machine.
      setenv("ZEL_MACHINE_ROOT", args[++i].c_str(), 1);
      platform::SetMachineRoot(args[i]);
    } else if (args[i] == "--device") {
      device = true;
    } else {
      rest.push_back(args[i]);
    }
  }
  if (rest.size() < 2) return Usage();
  const std::string printer = platform::AnsiFromUtf8(rest[1]);
  if (rest[0] == "menu" && rest.size() == 2) return ShowMenu(printer, device);
  if (rest[0] == "run" && (rest.size() == 3 || rest.size() == 4)) {
    return Run(printer, device, rest[2], rest.size() == 4 ? platform::AnsiFromUtf8(rest[3]) : printer);
  }
  return Usage();
}
