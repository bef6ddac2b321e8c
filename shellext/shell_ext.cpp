#include "shellext/shell_ext.h"

#include <cstring>

#include "platform/base/codepage.h"
#include "platform/base/global_memory.h"
#include "platform/base/modules.h"
#include "platform/base/os_version.h"
#include "platform/base/text_cut.h"
#include "platform/shell/printer_items.h"
#include "platform/ui/clipboard_formats.h"
#include "shellext/module_state.h"
#include "shellext/printer_queries.h"

namespace shellext {
namespace {

// Names are kept as the platform's 260-byte ANSI buffers keep them.
std::string AnsiName(const WCHAR* text) {
  const std::string ansi = platform::FromUtf16(text ? std::u16string_view(text) : std::u16string_view());
  return ansi.substr(0, platform::CutPoint(ansi, MAX_PATH - 1));
}

// Releases a COM object when it goes out of scope.
template <class Interface>
struct Held {
  Interface* object = nullptr;
  ~Held() {
    if (object) object->Release();
  }
  void** out() { return reinterpret_cast<void**>(&object); }
};

// A property read into a variant that is cleared when it goes.
struct Property {
  PROPVARIANT value{};
  Property(IShellItem2* item, REFPROPERTYKEY key) {
    if (FAILED(item->GetProperty(key, &value))) PropVariantClear(&value);
  }
  ~Property() { PropVariantClear(&value); }
  Property(const Property&) = delete;
  Property& operator=(const Property&) = delete;
};

}  // namespace

CShellExt::CShellExt() { ObjectCreated(); }

CShellExt::~CShellExt() {
  if (data_) data_->Release();
  ObjectDestroyed();
}

HRESULT CShellExt::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IShellExtInit || iid == IID_IUnknown) {
    *object = static_cast<IShellExtInit*>(this);
  } else if (iid == IID_IContextMenu) {
    *object = static_cast<IContextMenu*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CShellExt::AddRef() { return ++references_; }

ULONG CShellExt::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT CShellExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return E_FAIL;
  const bool from61 = version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 1);
  // The systems before NT hand printers over in a format this machine's shell
  // does not offer.
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return E_NOTIMPL;
  if (!data) return E_INVALIDARG;
  if (!from61) return ReadItemNames(data);
  return ReadShellItems(data, version.dwMajorVersion == 6 && version.dwMinorVersion == 1);
}

HRESULT CShellExt::ReadItemNames(IDataObject* data) {
  data->AddRef();
  if (data_) data_->Release();
  data_ = data;
  printerName_.clear();
  queues_.clear();
  deviceFlag_ = false;
  // Only the format that carries the names is read, and only within its block.
  FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_SHELLITEMNAMES)), nullptr, DVASPECT_CONTENT,
                   -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return E_INVALIDARG;
  HRESULT result = E_INVALIDARG;
  const size_t size = medium.tymed == TYMED_HGLOBAL ? GlobalSize(medium.hGlobal) : 0;
  const auto* block = size ? static_cast<const BYTE*>(GlobalLock(medium.hGlobal)) : nullptr;
  if (block) {
    const size_t units = size / sizeof(WCHAR);
    const size_t first = block[0];
    std::u16string name;
    size_t at = first / sizeof(WCHAR);
    bool closed = false;
    if (first > 0 && first % sizeof(WCHAR) == 0) {
      for (; at < units; ++at) {
        WCHAR unit;
        std::memcpy(&unit, block + at * sizeof(WCHAR), sizeof unit);
        if (unit == 0) {
          closed = true;
          break;
        }
        name.push_back(unit);
      }
    }
    if (closed && !name.empty()) {
      WCHAR following = 0;
      if (at + 1 < units) std::memcpy(&following, block + (at + 1) * sizeof(WCHAR), sizeof following);
      // Several printers chosen: no menu.
      if (following == 0) printerName_ = AnsiName(name.c_str());
      result = S_OK;
    }
    GlobalUnlock(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  return result;
}

HRESULT CShellExt::ReadShellItems(IDataObject* data, bool exactly61) {
  printerName_.clear();
  deviceFlag_ = false;
  HMODULE shell = LoadLibraryA("shell32.dll");
  if (!shell) return E_INVALIDARG;
  auto create = reinterpret_cast<PFN_SHCreateShellItemArrayFromDataObject>(
      reinterpret_cast<void (*)()>(GetProcAddress(shell, "SHCreateShellItemArrayFromDataObject")));
  HRESULT result = E_INVALIDARG;
  if (create) {
    Held<IShellItemArray> array;
    Held<IShellItem> first;
    Held<IShellItem2> item;
    result = create(data, IID_IShellItemArray, array.out());
    if (SUCCEEDED(result)) result = array.object->GetItemAt(0, &first.object);
    if (SUCCEEDED(result)) result = first.object->QueryInterface(IID_IShellItem2, item.out());
    if (SUCCEEDED(result)) {
      if (exactly61) {
        Property queues(item.object, PKEY_PrinterDeviceQueues);
        if (queues.value.vt == (VT_VECTOR | VT_LPWSTR)) {
          queues_.clear();
          for (ULONG i = 0; i < queues.value.calpwstr.cElems; ++i) {
            const std::string entry = AnsiName(queues.value.calpwstr.pElems[i]);
            const size_t comma = platform::FindFirstCharAnsi(entry, ',');
            const std::string name = comma == std::string::npos ? entry : entry.substr(comma + 1);
            if (!name.empty()) queues_.push_back(name);
          }
        }
      } else {
        Property queue(item.object, PKEY_PrinterQueueName);
        if (queue.value.vt == VT_LPWSTR) {
          const std::string name = AnsiName(queue.value.pwszVal);
          const std::vector<LocalQueue> local = EnumerateLocalQueues();
          const std::optional<LocalQueue> device = FindQueuePortAndDriver(local, name);
          queues_.clear();
          if (device) {
            queues_ = CollectQueuesOfDevice(local, *device);
          } else if (!name.empty()) {
            queues_.push_back(name);
          }
        }
      }
      Property deviceFlag(item.object, PKEY_PrinterIsDeviceObject);
      if (deviceFlag.value.vt == VT_BOOL && deviceFlag.value.boolVal) {
        deviceFlag_ = true;
        // A device that names no queue leaves no printer to build a menu for.
        if (queues_.empty())
          result = E_INVALIDARG;
        else
          printerName_ = queues_.front();
      } else {
        Property display(item.object, PKEY_ItemNameDisplay);
        if (display.value.vt == VT_LPWSTR) printerName_ = AnsiName(display.value.pwszVal);
      }
    }
  }
  FreeLibrary(shell);
  return FAILED(result) ? result : S_OK;
}

}  // namespace shellext
