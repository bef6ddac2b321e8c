// Data objects: what the shell hands a shell extension for the items a user
// chose. The stand-in's data objects carry shell items with their properties
// (see shell_items.h); they offer no clipboard formats of their own.
#pragma once

#include "platform/shell/com.h"

typedef WORD CLIPFORMAT;

#define DVASPECT_CONTENT 1
#define TYMED_HGLOBAL 1
#define DATADIR_GET 1
#define DV_E_FORMATETC ((HRESULT)0x80040064L)

typedef struct tagFORMATETC {
  CLIPFORMAT cfFormat;
  void* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
} FORMATETC;

typedef struct tagSTGMEDIUM {
  DWORD tymed;
  HGLOBAL hGlobal;
  IUnknown* pUnkForRelease;
} STGMEDIUM;

struct IEnumFORMATETC : IUnknown {
  virtual HRESULT Next(ULONG count, FORMATETC* formats, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;

 protected:
  ~IEnumFORMATETC() = default;
};

struct IDataObject : IUnknown {
  virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT QueryGetData(FORMATETC* format) = 0;
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) = 0;

 protected:
  ~IDataObject() = default;
};
typedef IDataObject* LPDATAOBJECT;

extern "C" const IID IID_IDataObject;

ZEL_EXTERN_C void ReleaseStgMedium(STGMEDIUM* medium);
