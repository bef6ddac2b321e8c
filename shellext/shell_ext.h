// The extension object the shell makes for one request: it learns the chosen
// printer (Initialize), adds the driver's popup to the context menu
// (QueryContextMenu) and runs or describes a command of it (InvokeCommand,
// GetCommandString).
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/shell/shell_extension.h"

namespace shellext {

class CShellExt final : public IContextMenu, public IShellExtInit {
 public:
  // The most top-level entries the popup can hold.
  static constexpr size_t kMaxItems = 10;

  CShellExt();
  CShellExt(const CShellExt&) = delete;
  CShellExt& operator=(const CShellExt&) = delete;

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY programKey) override;
  HRESULT QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) override;
  HRESULT InvokeCommand(LPCMINVOKECOMMANDINFO info) override;
  HRESULT GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, LPSTR buffer, UINT size) override;

  // What Initialize learnt, for the tests.
  const std::string& PrinterName() const { return printerName_; }
  const std::vector<std::string>& QueueList() const { return queues_; }
  bool DeviceFlag() const { return deviceFlag_; }

 private:
  ~CShellExt();

  // One command id of the menu: what it starts, for which queue.
  struct Command {
    int kind = 0;
    std::string target;
  };

  HRESULT ReadShellItems(IDataObject* data, bool exactly61);
  HRESULT ReadItemNames(IDataObject* data);
  void AddCommand(HMENU popup, UINT firstId, UINT lastId, int kind, const std::string& target, LPCSTR text);
  bool AddMenuItem(int kind);
  // The command of an offset from the menu last built; nullptr when out of range.
  const Command* CommandAt(UINT_PTR offset) const;

  std::atomic<ULONG> references_{0};
  IDataObject* data_ = nullptr;
  std::string printerName_;
  std::vector<std::string> queues_;
  bool deviceFlag_ = false;
  // The top-level entries (their kinds) and the command ids of the menu last
  // built, remade by every QueryContextMenu.
  std::vector<int> itemKinds_;
  std::vector<Command> commands_;
};

}  // namespace shellext
