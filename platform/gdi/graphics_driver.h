// A loaded graphics library: its module, the DRVFN table DrvEnableDriver gave and
// the functions found in it. One library is loaded and enabled once however many
// device contexts use it; DrvDisableDriver runs and the module is freed when the
// last of them lets it go, as GDI keeps one logical device per driver.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/driver_functions.h"

namespace platform::gdi {

class GraphicsDriver {
 public:
  ~GraphicsDriver();
  GraphicsDriver(const GraphicsDriver&) = delete;
  GraphicsDriver& operator=(const GraphicsDriver&) = delete;

  // The library at `windowsPath`, loaded and enabled (or the one already loaded
  // from that path). nullptr with the last error set and the reason traced when
  // the library is missing, lacks DrvEnableDriver, refuses to enable, answers a
  // DDI version other than 0x20000 or leaves out a function every printer
  // driver must have.
  static std::shared_ptr<GraphicsDriver> Load(const std::u16string& windowsPath);

  // The table's function for an INDEX_Drv* number, nullptr when absent.
  PFN Function(ULONG index) const { return index < kSlots ? functions_[index] : nullptr; }
  template <class T>
  T Get(ULONG index) const {
    // Through void(*)(): the row's real type is known only by its index.
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(Function(index)));
  }
  const std::u16string& path() const { return path_; }

 private:
  GraphicsDriver() = default;
  static constexpr ULONG kSlots = 96;

  std::u16string path_;
  HMODULE module_ = 0;
  PFN functions_[kSlots]{};
  PFN_DrvDisableDriver disable_ = nullptr;
};

}  // namespace platform::gdi
