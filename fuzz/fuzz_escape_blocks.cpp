// Escapes as an application sends them with ExtEscape on a printer device
// context: the user-interface library's ESCAPE document event (and its repair
// of passthrough blocks) first, then the graphics library's escape, including
// the application PostScript filter behind the passthrough escapes. Each input
// and answer block is a heap block of exactly the size given, so a read or
// write past it is a finding.
//
// Input: one control byte (bit 0 the monochrome PCL printer instead of the
// colour PostScript one, bit 1 the escapes inside a started document and page,
// bit 2 a second page after them), then records: escape selector (a byte: an
// index into the escapes below; 255 takes the next four bytes as the number),
// input size (two bytes), answer size (a byte), the input bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "common/driver_escapes.h"
#include "common/pdl_kind.h"
#include "fuzz/machine_support.h"
#include "platform/base/machine.h"
#include "platform/gdi/dc.h"

namespace {

constexpr ULONG kEscapes[] = {
    // clang-format off
    kEscQueryEscSupport, kEscSetCopyCount,     kEscPassThrough,       kEscGetTechnology,
    kEscEpsPrinting,     kEscPostScriptData,   kEscPostScriptIgnore,  kEscGetDeviceUnits,
    kEscBeginPath,       kEscClipToPath,       kEscEndPath,           kEscDownloadHeader,
    kEscPostScriptPassthrough, kEscPostScriptIdentify, kEscPostScriptInjection, kEscGetPsFeatureSetting,
    kEscWatermarkBegin,  kEscWatermarkEnd,     kEscWatermarkFlag,     kEscFontListRefresh,
    kEscJobIdentity,     kEscTabPageBegin,     kEscTabPageEnd,        kEscTabSheetBegin,
    kEscTabSheetEnd,     kEscInsertSheetTable, kEscBannerBegin,       kEscBannerEnd,
    kEscInsertDefaults,  kEscRawText,          kEscUpdateConfig,
    // clang-format on
};
constexpr size_t kEscapeCount = sizeof kEscapes / sizeof kEscapes[0];

struct Machine {
  std::string output;  // the file each job goes to
};

const Machine& TheMachine() {
  static const Machine machine = [] {
    fuzzmachine::Start();
    fuzzmachine::InstallPrinter("nardo-c5545.ini", "Colour", kPdlPs3, 1);
    fuzzmachine::InstallPrinter("nardo-m3020.ini", "Mono", kPdlPcl5e, 0);
    return Machine{"C:\\fuzz-job.prn"};
  }();
  return machine;
}

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Take(void* out, size_t count) {
    if (size_ - at_ < count) return false;
    std::memcpy(out, data_ + at_, count);
    at_ += count;
    return true;
  }
  size_t Left() const { return size_ - at_; }
  const uint8_t* Here() const { return data_ + at_; }
  void Skip(size_t count) { at_ += count; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void SendEscapes(HDC dc, Reader& input) {
  for (int sent = 0; sent < 64; ++sent) {
    uint8_t selector = 0;
    uint16_t inSize = 0;
    uint8_t outSize = 0;
    if (!input.Take(&selector, 1)) return;
    ULONG escape = kEscapes[selector % kEscapeCount];
    if (selector == 255 && !input.Take(&escape, sizeof escape)) return;
    if (!input.Take(&inSize, 2) || !input.Take(&outSize, 1)) return;
    if (inSize > input.Left()) inSize = static_cast<uint16_t>(input.Left());
    std::unique_ptr<char[]> in(inSize ? new char[inSize] : nullptr);
    if (inSize) std::memcpy(in.get(), input.Here(), inSize);
    input.Skip(inSize);
    std::unique_ptr<char[]> out(outSize ? new char[outSize] : nullptr);
    ExtEscape(dc, static_cast<int>(escape), inSize, in.get(), outSize, out.get());
  }
}

}  // namespace

// The machine is made before the first input, so that its set-up is not
// counted against that input's time.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  TheMachine();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const Machine& machine = TheMachine();
  const uint8_t control = data[0];
  Reader input(data + 1, size - 1);
  HDC dc = CreateDCA(nullptr, (control & 1) ? "Mono" : "Colour", nullptr, nullptr);
  if (!dc) return 0;
  const bool inDocument = (control & 2) != 0;
  if (inDocument) {
    DOCINFOA info{sizeof(DOCINFOA), "Fuzz", machine.output.c_str(), nullptr, 0};
    if (StartDocA(dc, &info) <= 0 || StartPage(dc) <= 0) {
      DeleteDC(dc);
      return 0;
    }
  }
  SendEscapes(dc, input);
  if (inDocument) {
    EndPage(dc);
    if (control & 4) {
      StartPage(dc);
      SendEscapes(dc, input);
      EndPage(dc);
    }
    EndDoc(dc);
  }
  DeleteDC(dc);
  return 0;
}
