#include "shellext/class_factory.h"

#include <new>

#include "shellext/module_state.h"
#include "shellext/shell_ext.h"
#include "shellext/shell_ext_ids.h"

namespace shellext {

CShellExtClassFactory::CShellExtClassFactory() { ObjectCreated(); }
CShellExtClassFactory::~CShellExtClassFactory() { ObjectDestroyed(); }

HRESULT CShellExtClassFactory::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG CShellExtClassFactory::AddRef() { return ++references_; }

ULONG CShellExtClassFactory::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT CShellExtClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto* extension = new (std::nothrow) CShellExt();
  if (!extension) return E_OUTOFMEMORY;
  // The object lives by the reference QueryInterface gives; a refused interface
  // leaves it with none, and the release below deletes it.
  extension->AddRef();
  const HRESULT result = extension->QueryInterface(iid, object);
  extension->Release();
  return result;
}

HRESULT CShellExtClassFactory::LockServer(BOOL lock) {
  LockModule(lock != FALSE);
  return S_OK;
}

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (clsid != ShellExtClsid) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) CShellExtClassFactory();
  if (!factory) return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT result = factory->QueryInterface(iid, object);
  factory->Release();
  return result;
}

}  // namespace shellext
