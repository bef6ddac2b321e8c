// The part of COM an in-process server and its caller need: interface and class
// ids, IUnknown's reference counting, class factories and the HRESULT codes they
// answer. Objects are plain C++ classes whose virtual tables play COM's; a caller
// in another module reaches them through these declarations only.
#pragma once

#include <string>

#include "platform/base/errors.h"
#include "platform/base/types.h"

typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

#define SEVERITY_SUCCESS 0
#define SEVERITY_ERROR 1
#define MAKE_HRESULT(severity, facility, code) \
  ((HRESULT)(((unsigned long)(severity) << 31) | ((unsigned long)(facility) << 16) | ((unsigned long)(code))))
#define HRESULT_CODE(hr) ((hr)&0xFFFF)
#define FACILITY_WIN32 7
inline HRESULT HRESULT_FROM_WIN32(unsigned long error) {
  return static_cast<HRESULT>(error) <= 0 ? static_cast<HRESULT>(error)
                                          : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_WIN32, error & 0xFFFF);
}

#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111L)

inline bool IsEqualGUID(REFGUID a, REFGUID b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

extern "C" const IID IID_IUnknown;
extern "C" const IID IID_IClassFactory;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the registry keeps class ids.
ZEL_EXTERN_C int StringFromGUID2(REFGUID guid, LPWSTR text, int size);

namespace platform {

std::string GuidText(REFGUID guid);
// Reads the braced form back; false for anything else.
bool GuidFromText(const std::string& text, GUID& guid);

}  // namespace platform
