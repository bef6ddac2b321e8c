// Shell items and their properties, as a shell extension reads them from the
// data object of a user's choice: SHCreateShellItemArrayFromDataObject (which
// callers bind by name from "shell32.dll"), IShellItemArray, IShellItem2 and
// property variants. The shell's side (a program playing the printers folder,
// or a test) makes the data object with platform::CreateShellItemsDataObject.
#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/shell/data_object.h"

typedef WORD VARTYPE;
typedef short VARIANT_BOOL;
#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

enum VARENUM : VARTYPE { VT_EMPTY = 0, VT_BOOL = 11, VT_LPWSTR = 31, VT_VECTOR = 0x1000 };

typedef struct tagCALPWSTR {
  ULONG cElems;
  LPWSTR* pElems;
} CALPWSTR;

typedef struct tagPROPVARIANT {
  VARTYPE vt;
  WORD wReserved1, wReserved2, wReserved3;
  union {
    VARIANT_BOOL boolVal;
    LPWSTR pwszVal;
    CALPWSTR calpwstr;
  };
} PROPVARIANT;

typedef struct _tagpropertykey {
  GUID fmtid;
  DWORD pid;
} PROPERTYKEY;
typedef const PROPERTYKEY& REFPROPERTYKEY;

// The item's name as the shell shows it.
extern "C" const PROPERTYKEY PKEY_ItemNameDisplay;

// The clipboard format (RegisterClipboardFormat) in which a data object gives
// its items' display names, as systems before 6.1 hand them to handlers: in the
// HGLOBAL block the first byte is the byte offset of the first name; names
// follow as NUL-terminated UTF-16, and an empty name closes the list.
#define CFSTR_SHELLITEMNAMES "ShellItemNames"

// Frees what the variant holds and empties it.
ZEL_EXTERN_C HRESULT PropVariantClear(PROPVARIANT* value);

struct IShellItem : IUnknown {
  virtual HRESULT GetAttributes(DWORD mask, DWORD* attributes) = 0;

 protected:
  ~IShellItem() = default;
};

struct IShellItem2 : IShellItem {
  // E_INVALIDARG for a property the item does not have; the caller clears the value.
  virtual HRESULT GetProperty(REFPROPERTYKEY key, PROPVARIANT* value) = 0;

 protected:
  ~IShellItem2() = default;
};

struct IShellItemArray : IUnknown {
  virtual HRESULT GetCount(DWORD* count) = 0;
  virtual HRESULT GetItemAt(DWORD index, IShellItem** item) = 0;

 protected:
  ~IShellItemArray() = default;
};

extern "C" const IID IID_IShellItem;
extern "C" const IID IID_IShellItem2;
extern "C" const IID IID_IShellItemArray;

// What "shell32.dll" exports as SHCreateShellItemArrayFromDataObject.
typedef HRESULT (*PFN_SHCreateShellItemArrayFromDataObject)(IDataObject* data, REFIID iid, void** array);

namespace platform {

// A property value as the shell sets it: VT_BOOL, VT_LPWSTR or VT_VECTOR | VT_LPWSTR.
using ShellPropertyValue = std::variant<bool, std::u16string, std::vector<std::u16string>>;
using ShellItemProperties = std::vector<std::pair<PROPERTYKEY, ShellPropertyValue>>;

// A data object for the given items (one reference, the caller's).
IDataObject* CreateShellItemsDataObject(std::vector<ShellItemProperties> items);

// The items a data object carries; E_INVALIDARG for a data object that carries
// none. The shell library's module exports it under its Windows name.
HRESULT CreateShellItemArray(IDataObject* data, REFIID iid, void** array);

}  // namespace platform
