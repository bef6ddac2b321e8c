// The class factory the shell asks for a CShellExt.
#pragma once

#include <atomic>

#include "platform/shell/com.h"

namespace shellext {

class CShellExtClassFactory final : public IClassFactory {
 public:
  CShellExtClassFactory();
  CShellExtClassFactory(const CShellExtClassFactory&) = delete;
  CShellExtClassFactory& operator=(const CShellExtClassFactory&) = delete;

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  // Locks keep the module loaded (DllCanUnloadNow) while the caller holds them.
  HRESULT LockServer(BOOL lock) override;

 private:
  ~CShellExtClassFactory();
  std::atomic<ULONG> references_{0};
};

// DllGetClassObject: a factory for ShellExtClsid only.
HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);

}  // namespace shellext
