// A device mode an application hands to the driver: DocumentProperties with
// DM_IN_BUFFER (wide or ANSI, through the spooler into the user-interface
// library's merge) and the graphics library's acceptance of the same block when
// a device context is made with it. The block is exactly as long as its own
// header says (dmSize + dmDriverExtra), so a read past it is a finding.
//
// Input: one control byte (bit 0 the monochrome PCL printer instead of the
// colour PostScript one, bit 1 the driver's own sizes and private version put
// into the header, bit 2 the ANSI call), then the block.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "common/xdevmode.h"
#include "fuzz/machine_support.h"
#include "graphics/core/devmode_accept.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/model_description.h"
#include "graphics/core/pdev.h"
#include "platform/base/codepage.h"
#include "platform/spooler/devmode.h"
#include "platform/spooler/spooler.h"

namespace {

struct Printer {
  std::string name;
  HANDLE handle = 0;
  std::u16string wideName;
};

struct Machine {
  Printer colour;
  Printer mono;
};

const Machine& TheMachine() {
  static const Machine machine = [] {
    fuzzmachine::Start();
    SetGraphicsSettings(fuzzmachine::Settings());
    StartDescriptionCache();
    Machine made;
    made.colour.name = "Colour";
    made.colour.handle = fuzzmachine::InstallPrinter("nardo-c5545.ini", made.colour.name, kPdlPs3, 1);
    made.mono.name = "Mono";
    made.mono.handle = fuzzmachine::InstallPrinter("nardo-m3020.ini", made.mono.name, kPdlPcl5e, 0);
    for (Printer* printer : {&made.colour, &made.mono}) printer->wideName = platform::ToUtf16(printer->name);
    return made;
  }();
  return machine;
}

// The caller's block: the input, with the driver's header when asked, in a heap
// block of the length the header declares (at least room for the header's size
// fields).
std::vector<uint8_t> CallerBlock(const uint8_t* data, size_t size, bool driverHeader, bool ansi) {
  const size_t sizeField = ansi ? offsetof(DEVMODEA, dmSize) : offsetof(DEVMODEW, dmSize);
  const WORD publicSize = ansi ? sizeof(DEVMODEA) : sizeof(DEVMODEW);
  std::vector<uint8_t> bytes(data, data + size);
  if (bytes.size() < sizeField + 4) bytes.resize(sizeField + 4, 0);
  if (driverHeader) {
    const WORD extra = kXDevModeDriverExtra;
    std::memcpy(&bytes[sizeField], &publicSize, 2);
    std::memcpy(&bytes[sizeField + 2], &extra, 2);
    const DWORD version = kXDevModePrivateVersion;
    if (bytes.size() < publicSize + sizeof version) bytes.resize(publicSize + sizeof version, 0);
    std::memcpy(&bytes[publicSize], &version, sizeof version);
  }
  WORD declaredPublic = 0;
  WORD declaredExtra = 0;
  std::memcpy(&declaredPublic, &bytes[sizeField], 2);
  std::memcpy(&declaredExtra, &bytes[sizeField + 2], 2);
  const size_t declared = std::max<size_t>(size_t{declaredPublic} + declaredExtra, sizeField + 4);
  bytes.resize(declared, 0);
  return bytes;
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
  const Printer& printer = (control & 1) ? machine.mono : machine.colour;
  const bool ansi = (control & 4) != 0;
  std::vector<uint8_t> block = CallerBlock(data + 1, size - 1, (control & 2) != 0, ansi);
  // Exactly the declared length, so that the sanitizer sees any read past it.
  auto caller = std::make_unique<uint8_t[]>(block.size());
  std::memcpy(caller.get(), block.data(), block.size());

  if (ansi) {
    std::string name = printer.name;
    auto out = std::make_unique<uint8_t[]>(sizeof(XDEVMODE));
    DocumentPropertiesA(0, printer.handle, name.data(), reinterpret_cast<DEVMODEA*>(out.get()),
                        reinterpret_cast<DEVMODEA*>(caller.get()), DM_IN_BUFFER | DM_OUT_BUFFER);
    return 0;
  }
  std::u16string name = printer.wideName;
  auto out = std::make_unique<XDEVMODE>();
  DocumentPropertiesW(0, printer.handle, name.data(), &out->dmPublic, reinterpret_cast<DEVMODEW*>(caller.get()),
                      DM_IN_BUFFER | DM_OUT_BUFFER);

  // A device context made with the block: the graphics library settles its
  // device mode from it.
  PDEV* pdev = AllocPdev();
  if (!pdev) return 0;
  pdev->printer = printer.handle;
  std::strncpy(pdev->carried.printerName, printer.name.c_str(), sizeof pdev->carried.printerName - 1);
  if (const ModelRecord* record = GetModelRecord(0, printer.handle, printer.name.c_str())) {
    if (AttachModelRecord(pdev, record) == 1) MergeDevmode(pdev, reinterpret_cast<const DEVMODEW*>(caller.get()));
  }
  FreePdev(pdev);
  return 0;
}
