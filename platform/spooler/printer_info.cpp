#include "platform/spooler/printer_info.h"

#include <type_traits>

#include "platform/spooler/info_packer.h"
#include "platform/spooler/spooler.h"

namespace platform::spooler {
namespace {

template <class Char>
struct PrinterInfo;
template <>
struct PrinterInfo<CHAR> {
  using Level1 = PRINTER_INFO_1A;
  using Level2 = PRINTER_INFO_2A;
  using Level4 = PRINTER_INFO_4A;
  using Level5 = PRINTER_INFO_5A;
  using Level7 = PRINTER_INFO_7A;
  using Level8 = PRINTER_INFO_8A;
  using Level9 = PRINTER_INFO_9A;
  using DevMode = DEVMODEA;
};
template <>
struct PrinterInfo<WCHAR> {
  using Level1 = PRINTER_INFO_1W;
  using Level2 = PRINTER_INFO_2W;
  using Level4 = PRINTER_INFO_4W;
  using Level5 = PRINTER_INFO_5W;
  using Level7 = PRINTER_INFO_7W;
  using Level8 = PRINTER_INFO_8W;
  using Level9 = PRINTER_INFO_9W;
  using DevMode = DEVMODEW;
};

// What a printer reports for the timeouts of its port (the defaults of a new port).
constexpr DWORD kDeviceNotSelectedTimeout = 15000;
constexpr DWORD kTransmissionRetryTimeout = 45000;

template <class Record, class Fill>
DWORD PackViews(const std::vector<PrinterView>& views, BYTE* buffer, DWORD cbBuf, DWORD* pcbNeeded, Fill fill) {
  return PackRecords<Record>(buffer, cbBuf, pcbNeeded, views.size(),
                             [&](InfoPacker& packer, size_t i, Record& info) { fill(packer, views[i], info); });
}

}  // namespace

bool LevelShowsDevMode(DWORD level) { return level == 2 || level == 8 || level == 9; }

template <class Char>
DWORD PackPrinterInfo(DWORD level, const std::vector<PrinterView>& views, BYTE* buffer, DWORD cbBuf, DWORD* pcbNeeded) {
  using Info = PrinterInfo<Char>;
  using DevMode = typename Info::DevMode;
  auto optionalText = [](InfoPacker& packer, const std::u16string& text) -> Char* {
    return text.empty() ? nullptr : packer.Text<Char>(text);
  };

  switch (level) {
    case 1:
      return PackViews<typename Info::Level1>(
          views, buffer, cbBuf, pcbNeeded, [&](InfoPacker& packer, const PrinterView& view, auto& info) {
            info.Flags = PRINTER_ENUM_ICON8;
            info.pDescription =
                packer.Text<Char>(view.name + u"," + view.printer->driver + u"," + view.printer->location);
            info.pName = packer.Text<Char>(view.name);
            info.pComment = packer.Text<Char>(view.printer->comment);
          });
    case 2:
      return PackViews<typename Info::Level2>(
          views, buffer, cbBuf, pcbNeeded, [&](InfoPacker& packer, const PrinterView& view, auto& info) {
            const PrinterRecord& printer = *view.printer;
            info.pServerName = optionalText(packer, view.server);
            info.pPrinterName = packer.Text<Char>(view.name);
            info.pShareName = packer.Text<Char>(printer.shareName);
            info.pPortName = packer.Text<Char>(printer.port);
            info.pDriverName = packer.Text<Char>(printer.driver);
            info.pComment = packer.Text<Char>(printer.comment);
            info.pLocation = packer.Text<Char>(printer.location);
            // The user's own device mode where there is one, as Windows shows it here.
            info.pDevMode =
                packer.PutDevMode<DevMode>(view.userDevMode ? view.userDevMode.get() : view.globalDevMode.get());
            info.pSepFile = packer.Text<Char>(printer.sepFile);
            info.pPrintProcessor = packer.Text<Char>(printer.printProcessor);
            info.pDatatype = packer.Text<Char>(printer.datatype);
            info.pParameters = packer.Text<Char>(printer.parameters);
            info.pSecurityDescriptor = nullptr;
            info.Attributes = view.attributes;
            info.Priority = printer.priority;
            info.DefaultPriority = printer.defaultPriority;
            info.StartTime = printer.startTime;
            info.UntilTime = printer.untilTime;
            info.Status = printer.status;
            info.cJobs = view.jobs;
            info.AveragePPM = 0;
          });
    case 4:
      return PackViews<typename Info::Level4>(views, buffer, cbBuf, pcbNeeded,
                                              [&](InfoPacker& packer, const PrinterView& view, auto& info) {
                                                info.pPrinterName = packer.Text<Char>(view.name);
                                                info.pServerName = optionalText(packer, view.server);
                                                info.Attributes = view.attributes;
                                              });
    case 5:
      return PackViews<typename Info::Level5>(views, buffer, cbBuf, pcbNeeded,
                                              [&](InfoPacker& packer, const PrinterView& view, auto& info) {
                                                info.pPrinterName = packer.Text<Char>(view.name);
                                                info.pPortName = packer.Text<Char>(view.printer->port);
                                                info.Attributes = view.attributes;
                                                info.DeviceNotSelectedTimeout = kDeviceNotSelectedTimeout;
                                                info.TransmissionRetryTimeout = kTransmissionRetryTimeout;
                                              });
    case 7:
      // The stand-in has no directory service: a printer is never published.
      return PackViews<typename Info::Level7>(views, buffer, cbBuf, pcbNeeded,
                                              [&](InfoPacker&, const PrinterView&, auto& info) {
                                                info.pszObjectGUID = nullptr;
                                                info.dwAction = DSPRINT_UNPUBLISH;
                                              });
    case 8:
      return PackViews<typename Info::Level8>(views, buffer, cbBuf, pcbNeeded,
                                              [&](InfoPacker& packer, const PrinterView& view, auto& info) {
                                                info.pDevMode = packer.PutDevMode<DevMode>(view.globalDevMode.get());
                                              });
    case 9:
      return PackViews<typename Info::Level9>(views, buffer, cbBuf, pcbNeeded,
                                              [&](InfoPacker& packer, const PrinterView& view, auto& info) {
                                                info.pDevMode = packer.PutDevMode<DevMode>(view.userDevMode.get());
                                              });
    default: return ERROR_INVALID_LEVEL;
  }
}

template DWORD PackPrinterInfo<CHAR>(DWORD, const std::vector<PrinterView>&, BYTE*, DWORD, DWORD*);
template DWORD PackPrinterInfo<WCHAR>(DWORD, const std::vector<PrinterView>&, BYTE*, DWORD, DWORD*);

}  // namespace platform::spooler
