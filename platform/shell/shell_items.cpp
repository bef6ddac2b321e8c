#include "platform/shell/shell_items.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/base/global_memory.h"
#include "platform/ui/clipboard_formats.h"

extern "C" const IID IID_IDataObject = {0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
extern "C" const IID IID_IShellItem = {0x43826D1E, 0xE718, 0x42EE, {0xBC, 0x55, 0xA1, 0xE2, 0x61, 0xC3, 0x7B, 0xFE}};
extern "C" const IID IID_IShellItem2 = {0x7E9FB0D3, 0x919F, 0x4307, {0xAB, 0x2E, 0x9B, 0x18, 0x60, 0x31, 0x0C, 0x93}};
extern "C" const IID IID_IShellItemArray = {
    0xB63EA76D, 0x1F85, 0x456F, {0xA1, 0x9C, 0x48, 0x15, 0x9E, 0xFA, 0x85, 0x8B}};
extern "C" const PROPERTYKEY PKEY_ItemNameDisplay = {
    {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}}, 10};

namespace {

bool SameKey(REFPROPERTYKEY a, REFPROPERTYKEY b) { return a.pid == b.pid && IsEqualGUID(a.fmtid, b.fmtid); }

LPWSTR CopyText(const std::u16string& text) {
  auto* copy = static_cast<LPWSTR>(std::malloc((text.size() + 1) * sizeof(WCHAR)));
  if (!copy) return nullptr;
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
  return copy;
}

// Reference counting shared by the stand-in's shell objects.
template <class Interface>
class Counted : public Interface {
 public:
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~Counted() = default;

 private:
  std::atomic<ULONG> references_{1};
};

class ShellItem final : public Counted<IShellItem2> {
 public:
  explicit ShellItem(platform::ShellItemProperties properties) : properties_(std::move(properties)) {}
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IShellItem && iid != IID_IShellItem2) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IShellItem2*>(this);
    return S_OK;
  }
  HRESULT GetAttributes(DWORD, DWORD* attributes) override {
    if (attributes) *attributes = 0;
    return S_OK;
  }
  HRESULT GetProperty(REFPROPERTYKEY key, PROPVARIANT* value) override {
    if (!value) return E_POINTER;
    std::memset(value, 0, sizeof *value);
    for (const auto& [name, stored] : properties_) {
      if (!SameKey(name, key)) continue;
      if (const bool* flag = std::get_if<bool>(&stored)) {
        value->vt = VT_BOOL;
        value->boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
      } else if (const auto* text = std::get_if<std::u16string>(&stored)) {
        value->vt = VT_LPWSTR;
        value->pwszVal = CopyText(*text);
        if (!value->pwszVal) return E_OUTOFMEMORY;
      } else {
        const auto& texts = std::get<std::vector<std::u16string>>(stored);
        value->vt = VT_VECTOR | VT_LPWSTR;
        value->calpwstr.pElems = static_cast<LPWSTR*>(std::calloc(texts.size() + 1, sizeof(LPWSTR)));
        if (!value->calpwstr.pElems) return E_OUTOFMEMORY;
        for (const std::u16string& entry : texts) {
          LPWSTR copy = CopyText(entry);
          if (!copy) {
            PropVariantClear(value);
            return E_OUTOFMEMORY;
          }
          value->calpwstr.pElems[value->calpwstr.cElems++] = copy;
        }
      }
      return S_OK;
    }
    return E_INVALIDARG;
  }

 private:
  platform::ShellItemProperties properties_;
};

class ShellItemArray final : public Counted<IShellItemArray> {
 public:
  explicit ShellItemArray(const std::vector<platform::ShellItemProperties>& items) : items_(items) {}
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IShellItemArray) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IShellItemArray*>(this);
    return S_OK;
  }
  HRESULT GetCount(DWORD* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<DWORD>(items_.size());
    return S_OK;
  }
  HRESULT GetItemAt(DWORD index, IShellItem** item) override {
    if (!item) return E_POINTER;
    *item = nullptr;
    if (index >= items_.size()) return E_INVALIDARG;
    *item = new ShellItem(items_[index]);
    return S_OK;
  }

 private:
  std::vector<platform::ShellItemProperties> items_;
};

// Where the first name starts in the names block: after the offset byte, at an
// even offset so the UTF-16 text is aligned.
constexpr BYTE kNamesOffset = 4;

FORMATETC NamesFormat() {
  return FORMATETC{static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_SHELLITEMNAMES)), nullptr, DVASPECT_CONTENT,
                   -1, TYMED_HGLOBAL};
}

// The one format a data object offers.
class FormatEnumerator final : public Counted<IEnumFORMATETC> {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IEnumFORMATETC*>(this);
    return S_OK;
  }
  HRESULT Next(ULONG count, FORMATETC* formats, ULONG* fetched) override {
    ULONG given = 0;
    if (formats && count > 0 && next_ == 0) {
      formats[0] = NamesFormat();
      next_ = 1;
      given = 1;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    if (count == 0) return S_OK;
    const bool skipped = next_ == 0 && count == 1;
    next_ = 1;
    return skipped ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    next_ = 0;
    return S_OK;
  }

 private:
  ULONG next_ = 0;
};

}  // namespace

namespace platform {

// The stand-in's data object: the items and nothing else.
class ShellItemsDataObject final : public Counted<IDataObject> {
 public:
  explicit ShellItemsDataObject(std::vector<ShellItemProperties> items) : items_(std::move(items)) {}
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDataObject) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IDataObject*>(this);
    return S_OK;
  }
  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!medium) return E_POINTER;
    std::memset(medium, 0, sizeof *medium);
    const HRESULT offered = QueryGetData(format);
    if (offered != S_OK) return offered;
    std::u16string names;
    for (const ShellItemProperties& item : items_) {
      for (const auto& [key, value] : item) {
        const auto* text = std::get_if<std::u16string>(&value);
        if (text && key.pid == PKEY_ItemNameDisplay.pid && IsEqualGUID(key.fmtid, PKEY_ItemNameDisplay.fmtid)) {
          names += *text;
          names.push_back(0);
        }
      }
    }
    names.push_back(0);
    const size_t bytes = kNamesOffset + names.size() * sizeof(WCHAR);
    HGLOBAL block = GlobalAlloc(GHND, bytes);
    auto* data = static_cast<BYTE*>(GlobalLock(block));
    if (!data) {
      if (block) GlobalFree(block);
      return E_OUTOFMEMORY;
    }
    data[0] = kNamesOffset;
    std::memcpy(data + kNamesOffset, names.data(), names.size() * sizeof(WCHAR));
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    return S_OK;
  }
  HRESULT QueryGetData(FORMATETC* format) override {
    if (!format) return E_POINTER;
    if (format->cfFormat != NamesFormat().cfFormat || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    return S_OK;
  }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (!formats) return E_POINTER;
    *formats = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    *formats = new FormatEnumerator();
    return S_OK;
  }
  const std::vector<ShellItemProperties>& Items() const { return items_; }

 private:
  std::vector<ShellItemProperties> items_;
};

IDataObject* CreateShellItemsDataObject(std::vector<ShellItemProperties> items) {
  return new ShellItemsDataObject(std::move(items));
}

}  // namespace platform

ZEL_EXTERN_C HRESULT PropVariantClear(PROPVARIANT* value) {
  if (!value) return E_POINTER;
  if (value->vt == VT_LPWSTR) {
    std::free(value->pwszVal);
  } else if (value->vt == (VT_VECTOR | VT_LPWSTR)) {
    for (ULONG i = 0; i < value->calpwstr.cElems; ++i) std::free(value->calpwstr.pElems[i]);
    std::free(value->calpwstr.pElems);
  }
  std::memset(value, 0, sizeof *value);
  return S_OK;
}

HRESULT platform::CreateShellItemArray(IDataObject* data, REFIID iid, void** array) {
  if (!array) return E_POINTER;
  *array = nullptr;
  auto* items = dynamic_cast<platform::ShellItemsDataObject*>(data);
  if (!items || items->Items().empty()) return E_INVALIDARG;
  auto* made = new ShellItemArray(items->Items());
  const HRESULT result = made->QueryInterface(iid, array);
  made->Release();
  return result;
}

ZEL_EXTERN_C void ReleaseStgMedium(STGMEDIUM* medium) {
  if (!medium) return;
  if (medium->pUnkForRelease) {
    medium->pUnkForRelease->Release();
  } else if (medium->tymed == TYMED_HGLOBAL && medium->hGlobal) {
    GlobalFree(medium->hGlobal);
  }
  std::memset(medium, 0, sizeof *medium);
}
