#include "interface/devmode/convert_devmode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "common/xdevmode.h"
#include "interface/devmode/default_devmode.h"
#include "interface/devmode/validate_merge.h"
#include "interface/util/driver_version.h"
#include "interface/util/text_conversion.h"
#include "model/foreign_devmode.h"
#include "model/model_cache.h"
#include "platform/base/errors.h"
#include "platform/spooler/driver_ui.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr LONG kWholeSize = static_cast<LONG>(kXDevModeSize);
// A private part shorter than this holds no revision stamp to compare.
constexpr WORD kShortestComparablePrivatePart = 8;

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// The printer opened by its name for the time of the conversion.
class OpenedPrinter {
 public:
  explicit OpenedPrinter(const WCHAR* printerName) {
    if (!printerName) return;
    WideToAnsi(name_, printerName, sizeof name_);
    OpenPrinterA(name_, &handle_, nullptr);
  }
  ~OpenedPrinter() {
    if (handle_) ClosePrinter(handle_);
  }
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;
  HANDLE handle() const { return handle_; }
  const char* name() const { return name_; }

 private:
  char name_[MAX_PATH] = {};
  HANDLE handle_ = 0;
};

const XDEVMODE_PRIVATE* PrivatePartOf(const DEVMODEW* devmode) {
  return reinterpret_cast<const XDEVMODE_PRIVATE*>(reinterpret_cast<const BYTE*>(devmode) + devmode->dmSize);
}

// Both blocks carry this driver's private part at its place and with the same
// revision stamp. A block whose public part is not 220 bytes has no stamp at the
// place where ours has it, so nothing is compared.
bool SameRevision(const DEVMODEW* in, const DEVMODEW* out) {
  if (in->dmSize != kXDevModePublicSize || out->dmSize != kXDevModePublicSize) return false;
  if (std::min(in->dmDriverExtra, out->dmDriverExtra) < kShortestComparablePrivatePart) return false;
  return PrivatePartOf(in)->revisionStamp == PrivatePartOf(out)->revisionStamp;
}

// A device mode of this driver's layout in the output buffer: the public part of
// the input taken over the output's, the private part only when the revisions
// agree. Answers whether the private part came from the input.
bool CopyOverOwnLayout(const DEVMODEW* in, DEVMODEW* out) {
  const WORD driverVersion = out->dmDriverVersion;
  const WORD size = out->dmSize;
  const WORD extra = out->dmDriverExtra;
  const bool samePrivate = SameRevision(in, out);
  std::memmove(out, in, std::min(in->dmSize, out->dmSize));
  out->dmSpecVersion = kXDevModeSpecVersion;
  out->dmDriverVersion = driverVersion;
  out->dmSize = size;
  out->dmDriverExtra = extra;
  if (!samePrivate) return false;
  const WORD length = std::min(in->dmDriverExtra, extra);
  std::memmove(reinterpret_cast<BYTE*>(out) + size, reinterpret_cast<const BYTE*>(in) + in->dmSize, length);
  return true;
}

BOOL Convert(const WCHAR* printerName, const DEVMODEW* in, DEVMODEW* out, LONG available) {
  if (!out) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (!in) return Fail(ERROR_INVALID_PARAMETER);
  if (available < kWholeSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (available < static_cast<LONG>(out->dmSize) + out->dmDriverExtra) return Fail(ERROR_INSUFFICIENT_BUFFER);

  const bool ownLayout = out->dmSize == kXDevModePublicSize && std::min(in->dmSize, out->dmSize) != 0 &&
                         out->dmDriverExtra == kXDevModeDriverExtra;
  bool fast = false;
  bool tookPrivate = false;
  if (ownLayout) {
    if (in == out) {
      fast = reinterpret_cast<const XDEVMODE*>(out)->dmPrivate.revisionStamp == kXDevModeRevision;
    } else {
      fast = true;
      tookPrivate = CopyOverOwnLayout(in, out);
    }
  }

  OpenedPrinter printer(printerName);
  if (!printer.handle()) return Fail(ERROR_INVALID_PARAMETER);
  auto* whole = reinterpret_cast<XDEVMODE*>(out);
  if (fast) {
    whole->dmPublic.dmDriverVersion = GetDriverVersionWord();
    whole->dmPrivate.privateVersion = kXDevModePrivateVersion;
    // The names came with the input's public part; the private part, when taken,
    // is checked against the model.
    AcceptForeignDevmode(
        whole, tookPrivate ? GetModelRecord(printer.handle(), printer.name(), kModelReloadWhenMissing) : nullptr);
    return TRUE;
  }

  const ModelRecord* record = GetModelRecord(printer.handle(), printer.name(), kModelReloadWhenChanged);
  if (!record || record->configStamp == 0) return Fail(ERROR_INVALID_PARAMETER);
  std::unique_ptr<XDEVMODE> converted(new (std::nothrow) XDEVMODE);
  if (!converted) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  BuildDefaultDevmode(converted.get(), printer.handle(), record, printer.name(), kPdlOfModel);
  // An input that is not of this driver's size leaves the default as it is.
  ValidateMergeDevmode(printer.handle(), converted.get(), in, record);
  std::memcpy(out, converted.get(), sizeof *converted);
  return TRUE;
}

BOOL DriverDefault(const WCHAR* printerName, DEVMODEW* out, LONG available) {
  if (!out || available < kWholeSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memset(out, 0, kXDevModeSize);
  OpenedPrinter printer(printerName);
  if (!printer.handle()) return Fail(ERROR_INVALID_DATA);
  const ModelRecord* record = GetModelRecord(printer.handle(), printer.name(), kModelReloadWhenChanged);
  // Without the model there is no default to give: a zeroed block is no answer.
  if (!record) return Fail(ERROR_INVALID_DATA);
  BuildDefaultDevmode(reinterpret_cast<XDEVMODE*>(out), printer.handle(), record, printer.name(), kPdlOfModel);
  return TRUE;
}

}  // namespace

BOOL ConvertDevMode(const WCHAR* printerName, const DEVMODEW* in, DEVMODEW* out, LONG* size, DWORD mode) {
  if (!size) return Fail(ERROR_INVALID_PARAMETER);
  const LONG available = *size;
  *size = kWholeSize;
  switch (mode) {
    case CDM_CONVERT:
    case CDM_CONVERT351: return Convert(printerName, in, out, available);
    case CDM_DRIVER_DEFAULT: return DriverDefault(printerName, out, available);
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
}
