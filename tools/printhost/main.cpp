// The print host: plays the application. It sets up a machine root, adds a
// printer for a model description, puts the options into the device mode through
// the driver's own DocumentProperties merge, and prints a text file or a sample
// document into a job file.
//
//   printhost [--root DIR] --model MODEL.ini --output JOB.prn [--printer NAME]
//             [--graphics-library PATH] [--copies N] [--duplex none|long|short]
//             [--nup N] [--booklet 0|1|2] [--language postscript|pcl|pclxl] [--watermark TEXT]
//             [--paper N] [--tray N] [--portrait | --landscape] [--collate on|off] [--scale N]
//             [--bin N] [--staple N] [--punch N] [--fold N] [--mirror] [--negative]
//             [--text FILE [--face NAME] | --sample | --blank N | --marks N | --drawing FILE]
//             [--properties] [--printer-properties] [--ui-script FILE] [--port PORT]
//   printhost --help
//
// --face sets the face the text file is printed in (Courier New by default):
// a printer font or an installed soft font by its name, or any other face,
// which the engine draws or the driver downloads.
//
// --port sets the printer's port (a raw TCP address "IP_a.b.c.d[:port]" or a
// file) and prints to it instead of to --output, so a network printer can be
// printed to; a job the port does not take whole fails (exit 1).
//
// N-up, booklet, the printer language, the watermark, the output bin, staple,
// punch and fold positions and the mirror and negative image are the driver's
// private settings: they are written into the private part of the device mode the driver
// gave and merged by the driver like the public ones. What the driver changes is
// reported; a language it does not print the job in is an error, because the job
// would silently come out in another one. A language of the model the printer is
// not set up for is set first, the way the set-up program commits it.
//
// --properties shows the driver's document property sheet over that device mode,
// as an application's Print dialog does, and prints with what the user chose;
// Cancel prints nothing (exit 1). --printer-properties first shows the printer's
// properties, as a printers folder does; then the host prints only when a
// document option (--text, --sample, --blank, --marks, --drawing or --properties) is given,
// and needs --output only then. --ui-script plays a script of user actions
// (platform/ui/ui_script.h) into the dialogs the host opens; a faulty line stops
// the script, cancels the dialogs and the host ends with exit 1 without printing.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <getopt.h>

#include "common/pdl_kind.h"
#include "common/xdevmode.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/base/text_cut.h"
#include "platform/gdi/drawing.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_script.h"
#include "tools/machinesetup/printer_install.h"
#include "tools/printhost/drawing_list.h"
#include "tools/printhost/model_sections.h"
#include "tools/printhost/printer_language.h"

namespace {

// Points a printer added on an earlier run at another port.
bool SetPrinterPort(const std::string& printerName, const std::string& port) {
  HANDLE printer = 0;
  std::string name = printerName;
  if (!OpenPrinterA(name.data(), &printer, nullptr)) {
    std::fprintf(stderr, "printhost: cannot open the printer (error %u)\n", static_cast<unsigned>(GetLastError()));
    return false;
  }
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> info(needed);
  std::string portName = port;
  BOOL set = needed != 0 && GetPrinterA(printer, 2, info.data(), needed, &needed);
  if (set) {
    auto* level2 = reinterpret_cast<PRINTER_INFO_2A*>(info.data());
    level2->pPortName = portName.data();
    level2->pDevMode = nullptr;  // the stored device mode stays as it is
    set = SetPrinterA(printer, 2, info.data(), 0);
  }
  const DWORD failure = GetLastError();
  ClosePrinter(printer);
  if (!set) std::fprintf(stderr, "printhost: cannot set the port (error %u)\n", static_cast<unsigned>(failure));
  return set != FALSE;
}

constexpr char kUsage[] =
    "usage: printhost [--root DIR] --model MODEL.ini --output JOB.prn [--printer NAME]\n"
    "                 [--graphics-library PATH] [--copies N] [--duplex none|long|short] [--nup N]\n"
    "                 [--booklet 0|1|2] [--language postscript|pcl|pclxl] [--watermark TEXT]\n"
    "                 [--paper N] [--tray N] [--portrait | --landscape] [--collate on|off] [--scale N]\n"
    "                 [--bin N] [--staple N] [--punch N] [--fold N] [--mirror] [--negative]\n"
    "                 [--text FILE [--face NAME] | --sample | --blank N | --marks N | --drawing FILE]\n"
    "                 [--properties] [--printer-properties] [--ui-script FILE] [--port PORT]\n"
    "       printhost --help\n"
    "  --face NAME  the face the --text file is printed in (default Courier New): a printer\n"
    "               font or an installed soft font by its name selects it in the job\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

// A path given on the command line as the system spells it: Windows paths stay,
// host paths become "Z:\..." through the machine's mapping.
std::string WindowsPath(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path;
  return platform::WindowsPathFromHost(std::filesystem::absolute(path));
}

// Whether `text` is a whole number in [low, high].
bool IsNumber(const std::string& text, long low, long high) {
  if (text.empty() || text.size() > 9) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool sign = i == 0 && text[i] == '-' && text.size() > 1;
    if (!std::isdigit(static_cast<unsigned char>(text[i])) && !sign) return false;
  }
  const long value = std::stol(text);
  return value >= low && value <= high;
}

struct Options {
  std::map<std::string, std::string> values;
  SHORT orientation = 0;  // 0: the driver's default
  bool sample = true;
  bool documentAsked = false;  // --text, --sample, --blank, --marks, --drawing or --properties
  bool properties = false;
  bool printerProperties = false;
  bool mirror = false;
  bool negative = false;
  bool help = false;
  std::string textFile;
  const std::string* Get(const std::string& key) const {
    auto it = values.find(key);
    return it == values.end() ? nullptr : &it->second;
  }
};

// The printer-language word an option names; 0 for an unknown name.
WORD LanguageWord(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name == "postscript" || name == "ps") return kPdlPs3;
  if (name == "pcl") return kPdlPcl5si;
  if (name == "pclxl") return kPdlPclXl;
  return 0;
}

bool SpeaksLanguage(WORD pdl, WORD wanted) {
  if (wanted == kPdlPs3) return IsPostScriptPdl(pdl);
  if (wanted == kPdlPclXl) return (pdl & kPdlPclXl) != 0;
  return (pdl & kPdlPcl5si) != 0;
}

// The watermark the option names, with the look of the driver's own default
// watermarks (grey, 72 points, 45 degrees).
WatermarkRecord Watermark(const std::string& textUtf8) {
  WatermarkRecord mark{};
  const std::string text = platform::AnsiFromUtf8(textUtf8);
  std::memcpy(mark.text, text.data(), platform::CutPoint(text, sizeof mark.text - 1));
  const std::string face = platform::AnsiFromUtf8("ＭＳ ゴシック"), style = platform::AnsiFromUtf8("標準");
  std::memcpy(mark.faceName, face.data(), platform::CutPoint(face, sizeof mark.faceName - 1));
  std::memcpy(mark.styleName, style.data(), platform::CutPoint(style, sizeof mark.styleName - 1));
  mark.size = 72;
  mark.weight = 400;
  mark.angle = 45;
  mark.colour = 0x7F7F7F;
  return mark;
}

// The driver's private part of an ANSI device mode, when it is the driver's own.
bool ReadPrivate(const std::vector<BYTE>& devMode, XDEVMODE_PRIVATE* extra) {
  const auto* dm = reinterpret_cast<const DEVMODEA*>(devMode.data());
  if (devMode.size() < sizeof(DEVMODEA) || dm->dmDriverExtra != sizeof(XDEVMODE_PRIVATE) ||
      static_cast<size_t>(dm->dmSize) + dm->dmDriverExtra > devMode.size())
    return false;
  std::memcpy(extra, devMode.data() + dm->dmSize, sizeof *extra);
  return extra->privateVersion == kXDevModePrivateVersion;
}

void WritePrivate(std::vector<BYTE>& devMode, const XDEVMODE_PRIVATE& extra) {
  const auto* dm = reinterpret_cast<const DEVMODEA*>(devMode.data());
  std::memcpy(devMode.data() + dm->dmSize, &extra, sizeof extra);
}

// The printer's current device mode with the options merged in by the driver.
// Empty when the driver gave none or refused the merge, or when it cannot print
// the job in the language asked for (with the reason in `error`).
std::vector<BYTE> DeviceMode(std::string& printer, const Options& options, std::string& error) {
  LONG size = DocumentPropertiesA(0, 0, printer.data(), nullptr, nullptr, 0);
  if (size <= 0) return {};
  std::vector<BYTE> current(static_cast<size_t>(size));
  auto* dm = reinterpret_cast<DEVMODEA*>(current.data());
  if (DocumentPropertiesA(0, 0, printer.data(), dm, nullptr, DM_OUT_BUFFER) != 1) return {};
  dm->dmFields = 0;
  if (const std::string* v = options.Get("copies"))
    dm->dmCopies = static_cast<SHORT>(std::stoi(*v)), dm->dmFields |= DM_COPIES;
  if (const std::string* v = options.Get("duplex")) {
    dm->dmDuplex = *v == "long" ? 2 : *v == "short" ? 3 : 1;
    dm->dmFields |= DM_DUPLEX;
  }
  if (const std::string* v = options.Get("paper"))
    dm->dmPaperSize = static_cast<SHORT>(std::stoi(*v)), dm->dmFields |= DM_PAPERSIZE;
  if (const std::string* v = options.Get("tray"))
    dm->dmDefaultSource = static_cast<SHORT>(std::stoi(*v)), dm->dmFields |= DM_DEFAULTSOURCE;
  if (options.orientation) dm->dmOrientation = options.orientation, dm->dmFields |= DM_ORIENTATION;
  if (const std::string* v = options.Get("scale"))
    dm->dmScale = static_cast<SHORT>(std::stoi(*v)), dm->dmFields |= DM_SCALE;
  const std::string* collate = options.Get("collate");
  if (collate) dm->dmCollate = *collate == "on" ? 1 : 0, dm->dmFields |= DM_COLLATE;

  // The private settings.
  const std::string* nup = options.Get("nup");
  const std::string* booklet = options.Get("booklet");
  const std::string* language = options.Get("language");
  const std::string* watermark = options.Get("watermark");
  const std::string* bin = options.Get("bin");
  const std::string* staple = options.Get("staple");
  const std::string* punch = options.Get("punch");
  const std::string* fold = options.Get("fold");
  const bool finishing = bin || staple || punch || fold || collate || options.mirror || options.negative;
  const WORD wantedLanguage = language ? LanguageWord(*language) : 0;
  if (language && wantedLanguage == 0) {
    error = "unknown printer language \"" + *language + "\" (postscript, pcl or pclxl)";
    return {};
  }
  XDEVMODE_PRIVATE extra;
  const bool own = ReadPrivate(current, &extra);
  if (!own && (nup || booklet || language || watermark || finishing)) {
    error =
        "the driver's device mode has no private part of its own; --nup, --booklet, --language, "
        "--watermark, --collate and the finishing and image options need one";
    return {};
  }
  if (own) {
    // The driver keeps the field of the job's language and resets the other.
    if (nup) extra._nUp = extra._nUpPCL = static_cast<WORD>(std::stoul(*nup));
    if (booklet) extra._nBooklet = static_cast<WORD>(std::stoul(*booklet));
    if (language) extra._nPDL = wantedLanguage;
    if (watermark) extra._wmCurrent = Watermark(*watermark);
    if (collate) extra._bCollate = *collate == "on" ? 1 : 0;
    // A chosen bin takes the sheets face down into it.
    if (bin) extra._nOutputTray = static_cast<WORD>(std::stoul(*bin)), extra.faceUpOff = 1;
    if (staple) extra._wStaple = static_cast<WORD>(std::stoul(*staple));
    if (punch) extra.punchId = static_cast<SHORT>(std::stoi(*punch));
    if (fold) extra.foldId = static_cast<WORD>(std::stoul(*fold));
    if (options.mirror) extra._bMirrorImage = 1;
    if (options.negative) extra._bNegativeImage = 1;
    WritePrivate(current, extra);
  }

  std::vector<BYTE> merged(static_cast<size_t>(size));
  if (DocumentPropertiesA(0, 0, printer.data(), reinterpret_cast<DEVMODEA*>(merged.data()), dm,
                          DM_IN_BUFFER | DM_OUT_BUFFER) != 1)
    return {};

  XDEVMODE_PRIVATE result;
  if (own && ReadPrivate(merged, &result)) {
    if (language && !SpeaksLanguage(result._nPDL, wantedLanguage)) {
      char text[160];
      std::snprintf(text, sizeof text,
                    "the printer is set up for printer language 0x%X: the driver will not print this job in %s",
                    static_cast<unsigned>(result._nPDL), language->c_str());
      error = text;
      return {};
    }
    const WORD nupKept = IsPostScriptPdl(result._nPDL) ? result._nUp : result._nUpPCL;
    if (nup && nupKept != std::stoul(*nup))
      std::fprintf(stderr, "printhost: the driver prints %u pages per sheet, not %s\n", static_cast<unsigned>(nupKept),
                   nup->c_str());
    if (booklet && result._nBooklet != std::stoul(*booklet))
      std::fprintf(stderr, "printhost: the driver set booklet %u, not %s\n", static_cast<unsigned>(result._nBooklet),
                   booklet->c_str());
    const struct {
      const std::string* asked;
      unsigned kept;
      const char* what;
    } kept[] = {{bin, result._nOutputTray, "output bin"},
                {staple, result._wStaple, "staple position"},
                {punch, static_cast<unsigned>(result.punchId), "punch"},
                {fold, result.foldId, "fold"}};
    for (const auto& k : kept)
      if (k.asked && k.kept != std::stoul(*k.asked))
        std::fprintf(stderr, "printhost: the driver set %s %u, not %s\n", k.what, k.kept, k.asked->c_str());
    if (watermark && std::memcmp(&result._wmCurrent, &extra._wmCurrent, sizeof extra._wmCurrent) != 0)
      std::fprintf(stderr, "printhost: the driver changed the watermark\n");
  }
  return merged;
}

void Text(HDC dc, int x, int y, const std::u16string& text) {
  ExtTextOutW(dc, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

HFONT Font(const std::u16string& face, LONG height, LONG escapement = 0) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfEscapement = escapement;
  lf.lfWeight = FW_NORMAL;
  std::memcpy(lf.lfFaceName, face.data(), std::min<size_t>(face.size(), 31) * sizeof(WCHAR));
  return CreateFontIndirectW(&lf);
}

bool Page(HDC dc, const std::function<void(int dpi)>& draw) {
  if (StartPage(dc) <= 0) return false;
  draw(GetDeviceCaps(dc, LOGPIXELSY));
  return EndPage(dc) > 0;
}

// A colour gradient (24 bits) and a grey ramp (8 bits with a grey palette).
void DrawImages(HDC dc, int dpi) {
  constexpr int size = 64;
  std::vector<BYTE> colour(size * size * 3);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      BYTE* p = &colour[(y * size + x) * 3];
      p[0] = static_cast<BYTE>(x * 4), p[1] = static_cast<BYTE>(y * 4), p[2] = static_cast<BYTE>(255 - x * 4);
    }
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), size, size, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  StretchDIBits(dc, dpi, dpi * 5, dpi * 2, dpi * 2, 0, 0, size, size, colour.data(), &info, DIB_RGB_COLORS, SRCCOPY);

  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } grey{};
  grey.header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), size, size, 1, 8, BI_RGB, 0, 0, 0, 256, 0};
  for (int i = 0; i < 256; ++i) grey.colours[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
  std::vector<BYTE> ramp(size * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) ramp[y * size + x] = static_cast<BYTE>(x * 4);
  StretchDIBits(dc, dpi * 4, dpi * 5, dpi * 2, dpi * 2, 0, 0, size, size, ramp.data(),
                reinterpret_cast<const BITMAPINFO*>(&grey), DIB_RGB_COLORS, SRCCOPY);
}

bool SamplePages(HDC dc) {
  bool ok = Page(dc, [&](int dpi) {
    const int inch = dpi;
    HFONT latin = Font(u"Times New Roman", -inch / 4);
    HGDIOBJ old = SelectObject(dc, latin);
    Text(dc, inch, inch, u"The quick brown fox jumps over the lazy dog.");
    HFONT japanese = Font(u"ＭＳ ゴシック", -inch / 4);
    SelectObject(dc, japanese);
    Text(dc, inch, inch * 2, u"日本語の文章を印刷します。");
    HFONT rotated = Font(u"Arial", -inch / 5, 900);
    SelectObject(dc, rotated);
    Text(dc, inch / 2, inch * 6, u"Rotated text");
    // A printer font by the name of the model's resident face; a driver that has
    // none gets the engine's outline stand-in.
    HFONT resident = Font(u"Courier", -inch / 6);
    SelectObject(dc, resident);
    Text(dc, inch, inch * 3, u"Printer font: Courier 12 characters per inch.");
    SelectObject(dc, old);
    for (HFONT f : {latin, japanese, rotated, resident}) DeleteObject(f);
  });
  ok = ok && Page(dc, [&](int dpi) {
         int y = dpi;
         const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
         for (int width : {0, 2, 8, 24}) {
           for (int style : styles) {
             HPEN pen = CreatePen(style, width, RGB(0, 0, 0));
             HGDIOBJ old = SelectObject(dc, pen);
             MoveToEx(dc, dpi, y, nullptr);
             LineTo(dc, dpi * 6, y);
             SelectObject(dc, old);
             DeleteObject(pen);
             y += dpi / 5;
           }
         }
       });
  ok = ok && Page(dc, [&](int dpi) {
         HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
         HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 255));
         HGDIOBJ oldBrush = SelectObject(dc, red);
         Rectangle(dc, dpi, dpi, dpi * 3, dpi * 2);
         HRGN clip = CreateRectRgn(dpi * 4, dpi, dpi * 5, dpi * 3);
         SelectClipRgn(dc, clip);
         SelectObject(dc, hatch);
         const POINT star[] = {{dpi * 4, dpi * 3},
                               {dpi * 9 / 2, dpi},
                               {dpi * 5, dpi * 3},
                               {dpi * 7 / 2, dpi * 2},
                               {dpi * 11 / 2, dpi * 2}};
         Polygon(dc, star, 5);
         SelectClipRgn(dc, 0);
         const POINT curve[] = {{dpi, dpi * 4}, {dpi * 2, dpi * 3}, {dpi * 3, dpi * 5}, {dpi * 4, dpi * 4}};
         PolyBezier(dc, curve, 4);
         SelectObject(dc, oldBrush);
         DrawImages(dc, dpi);
         for (HGDIOBJ o : {HGDIOBJ(red), HGDIOBJ(hatch), HGDIOBJ(clip)}) DeleteObject(o);
       });
  return ok;
}

// A black bar one inch from the top left, half an inch high and page/4 inches
// long (at most four inches).
void MarkPage(HDC dc, int dpi, long page) {
  HBRUSH black = CreateSolidBrush(0);
  HGDIOBJ oldBrush = SelectObject(dc, black);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  const long quarters = std::min<long>(page, 16);
  Rectangle(dc, dpi, dpi, dpi + static_cast<int>(dpi * quarters / 4), dpi + dpi / 2);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(black);
}

bool TextPages(HDC dc, const std::string& file, const std::u16string& face) {
  std::ifstream in(file);
  if (!in) return false;
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  const int lineHeight = dpi / 6;
  const int bottom = GetDeviceCaps(dc, VERTRES) - dpi / 2;
  HFONT font = Font(face, -dpi / 7);
  SelectObject(dc, font);
  std::string line;
  bool pageOpen = false;
  int y = 0;
  bool ok = true;
  while (ok && std::getline(in, line)) {
    if (!pageOpen) {
      ok = StartPage(dc) > 0;
      pageOpen = true;
      y = dpi / 2;
      // Plain text goes on the paper as it is: an opaque background would put a
      // white box behind every line for the printer to fill.
      SetBkMode(dc, TRANSPARENT);
    }
    Text(dc, dpi / 2, y, platform::Utf16FromUtf8(line));
    y += lineHeight;
    if (y > bottom) {
      ok = ok && EndPage(dc) > 0;
      pageOpen = false;
    }
  }
  if (pageOpen) ok = ok && EndPage(dc) > 0;
  DeleteObject(font);
  return ok;
}

// The host's options: those with a value land in Options::values under their
// name; the switches set their flag.
enum SwitchOption { kLandscape = 1000, kPortrait, kSample, kProperties, kPrinterProperties, kMirror, kNegative, kHelp };

// clang-format off
const option kOptions[] = {
    {"root", required_argument, nullptr, 0},        {"model", required_argument, nullptr, 0},
    {"output", required_argument, nullptr, 0},      {"printer", required_argument, nullptr, 0},
    {"graphics-library", required_argument, nullptr, 0}, {"copies", required_argument, nullptr, 0},
    {"duplex", required_argument, nullptr, 0},      {"nup", required_argument, nullptr, 0},
    {"booklet", required_argument, nullptr, 0},     {"language", required_argument, nullptr, 0},
    {"watermark", required_argument, nullptr, 0},   {"paper", required_argument, nullptr, 0},
    {"tray", required_argument, nullptr, 0},        {"collate", required_argument, nullptr, 0},
    {"scale", required_argument, nullptr, 0},       {"bin", required_argument, nullptr, 0},
    {"staple", required_argument, nullptr, 0},      {"punch", required_argument, nullptr, 0},
    {"fold", required_argument, nullptr, 0},        {"text", required_argument, nullptr, 0},
    {"blank", required_argument, nullptr, 0},       {"marks", required_argument, nullptr, 0},
    {"ui-script", required_argument, nullptr, 0},   {"port", required_argument, nullptr, 0},
    {"face", required_argument, nullptr, 0},        {"drawing", required_argument, nullptr, 0},
    {"help", no_argument, nullptr, kHelp},
    {"landscape", no_argument, nullptr, kLandscape}, {"portrait", no_argument, nullptr, kPortrait},
    {"sample", no_argument, nullptr, kSample},      {"properties", no_argument, nullptr, kProperties},
    {"printer-properties", no_argument, nullptr, kPrinterProperties},
    {"mirror", no_argument, nullptr, kMirror},      {"negative", no_argument, nullptr, kNegative},
    {nullptr, 0, nullptr, 0}};
// clang-format on

// Reads the command line into `options`. An option the host does not know, a
// missing value or a stray argument is named on standard error: a job printed
// without what the user asked for is worse than none.
bool ParseArguments(int argc, char** argv, Options& options) {
  opterr = 0;  // the host says what is wrong in its own words
  optind = 1;
  for (;;) {
    int index = -1;
    const int c = getopt_long(argc, argv, ":", kOptions, &index);
    if (c == -1) break;
    switch (c) {
      case 0: options.values[kOptions[index].name] = optarg; break;
      case kLandscape: options.orientation = 2; break;
      case kPortrait: options.orientation = 1; break;
      case kSample: options.sample = true, options.documentAsked = true; break;
      case kProperties: options.properties = true, options.documentAsked = true; break;
      case kPrinterProperties: options.printerProperties = true; break;
      case kMirror: options.mirror = true; break;
      case kNegative: options.negative = true; break;
      case kHelp: options.help = true; break;
      case ':': std::fprintf(stderr, "printhost: %s needs a value\n", argv[optind - 1]); return false;
      default:
        if (optopt)
          std::fprintf(stderr, "printhost: unknown option -%c\n", optopt);
        else
          std::fprintf(stderr, "printhost: unknown option %s\n", argv[optind - 1]);
        return false;
    }
  }
  if (optind < argc) {
    std::fprintf(stderr, "printhost: unexpected argument %s\n", argv[optind]);
    return false;
  }
  return true;
}

// Whether `value` is one of the words the option takes; if not, says so.
bool OneOf(const Options& options, const char* name, std::initializer_list<const char*> words) {
  const std::string* value = options.Get(name);
  if (!value || std::any_of(words.begin(), words.end(), [&](const char* w) { return *value == w; })) return true;
  std::string list;
  for (const char* w : words) list += std::string(list.empty() ? "" : "|") + w;
  std::fprintf(stderr, "printhost: --%s %s: takes %s\n", name, value->c_str(), list.c_str());
  return false;
}

// Whether the option's values are ones the host can put into a device mode:
// words it knows, numbers in their range, finishing units the model has.
bool ValuesAccepted(const Options& options) {
  if (!OneOf(options, "duplex", {"none", "long", "short"}) || !OneOf(options, "collate", {"on", "off"})) return false;
  if (const std::string* language = options.Get("language"); language && LanguageWord(*language) == 0) {
    std::fprintf(stderr, "printhost: --language %s: takes postscript, pcl or pclxl\n", language->c_str());
    return false;
  }
  if (const std::string* face = options.Get("face")) {
    if (!options.Get("text")) {
      std::fprintf(stderr, "printhost: --face %s: sets the face of a --text file; no --text given\n", face->c_str());
      return false;
    }
    if (face->empty() || platform::Utf16FromUtf8(*face).size() > 31) {
      std::fprintf(stderr, "printhost: --face %s: takes a face name of 1 to 31 characters\n", face->c_str());
      return false;
    }
  }
  const struct {
    const char* name;
    long low, high;
  } numbers[] = {{"copies", 1, 9999}, {"nup", 1, 16},       {"booklet", 0, 2},   {"paper", 1, 32767},
                 {"tray", 1, 32767},  {"blank", 0, 9999},   {"marks", 0, 9999},  {"scale", 1, 1000},
                 {"bin", 1, 32767},   {"staple", 0, 32767}, {"punch", 0, 32767}, {"fold", 0, 32767}};
  for (const auto& n : numbers) {
    const std::string* v = options.Get(n.name);
    if (v && !IsNumber(*v, n.low, n.high)) {
      std::fprintf(stderr, "printhost: --%s %s: takes a number from %ld to %ld\n", n.name, v->c_str(), n.low, n.high);
      return false;
    }
  }
  // A unit number past the model's list, or any unit on a model without one,
  // would go into the device mode as it is and the job would silently lack it.
  const std::string* model = options.Get("model");
  const struct {
    const char* name;
    const char* section;
  } units[] = {{"staple", "StapleLocation"}, {"punch", "Punch"}, {"fold", "Fold"}};
  for (const auto& unit : units) {
    const std::string* v = options.Get(unit.name);
    if (!v || !model) continue;
    const long highest = printhost::HighestUnitNumber(*model, unit.section).value_or(0);
    if (std::stol(*v) <= highest) continue;
    if (highest == 0)
      std::fprintf(stderr, "printhost: --%s %s: the model has no %s unit\n", unit.name, v->c_str(), unit.name);
    else
      std::fprintf(stderr, "printhost: --%s %s: the model has %s 0 to %ld\n", unit.name, v->c_str(), unit.name,
                   highest);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) return Usage();
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!ValuesAccepted(options)) return Usage();
  if (const std::string* root = options.Get("root")) platform::SetMachineRoot(*root);
  const std::string* model = options.Get("model");
  const std::string* output = options.Get("output");
  for (const char* document : {"text", "blank", "marks", "drawing"}) {
    if (options.Get(document)) options.documentAsked = true;
  }
  const bool printing = !options.printerProperties || options.documentAsked;
  const std::string* port = options.Get("port");
  if (!model || (printing && !output && !port)) return Usage();
  if (const std::string* text = options.Get("text")) options.textFile = *text, options.sample = false;
  // N pages with nothing drawn on them; 0 gives a document without pages.
  const std::string* blankPages = options.Get("blank");
  if (blankPages) options.sample = false;
  // N pages, page k with one black bar whose length grows with k, so that where
  // each page landed on a sheet can be told from the ink.
  const std::string* markedPages = options.Get("marks");
  if (markedPages) options.sample = false;
  // Pages drawn from a list of shapes and pictures (drawing_list.h).
  const std::string* drawingList = options.Get("drawing");
  if (drawingList) options.sample = false;

  machinesetup::PrinterSpec spec;
  const std::string* printerArg = options.Get("printer");
  spec.printerName = platform::AnsiFromUtf8(printerArg ? *printerArg : "Print Host Printer");
  spec.modelDescription = *model;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  if (const std::string* library = options.Get("graphics-library"))
    spec.graphicsLibrary = platform::AnsiFromUtf8(WindowsPath(*library));
  if (port) spec.port = platform::AnsiFromUtf8(*port);
  std::string error;
  // A root printed on before keeps its printer (and the driver entry it was added with).
  if (!machinesetup::InstallPrinter(spec, error)) {
    if (GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
      std::fprintf(stderr, "printhost: %s\n", error.c_str());
      return 1;
    }
    if (port && !SetPrinterPort(spec.printerName, spec.port)) return 1;
  }
  // A language of the model the printer is not set up for: set the printer up
  // for it first, as the set-up program would.
  if (const std::string* language = options.Get("language"); language && LanguageWord(*language) != 0) {
    const WORD wanted = LanguageWord(*language);
    if (!printhost::ModelListsLanguage(*model, wanted)) {
      std::fprintf(stderr, "printhost: the model does not print %s\n", language->c_str());
      return 1;
    }
    if (!printhost::CommitPrinterLanguage(spec.driverFolder, spec.printerName, printhost::StoredLanguageWord(wanted),
                                          error)) {
      std::fprintf(stderr, "printhost: %s\n", error.c_str());
      return 1;
    }
  }
  platform::ui::UiScript script;
  if (const std::string* scriptFile = options.Get("ui-script")) {
    if (!script.LoadFile(*scriptFile)) return 1;
    script.Install();
  }
  if (options.printerProperties) {
    HANDLE printer = 0;
    if (!OpenPrinterA(spec.printerName.data(), &printer, nullptr)) {
      std::fprintf(stderr, "printhost: cannot open the printer (error %u)\n", static_cast<unsigned>(GetLastError()));
      return 1;
    }
    const BOOL shown = PrinterPropertiesA(0, printer);
    const DWORD failure = GetLastError();
    ClosePrinter(printer);
    if (script.failed()) return 1;
    if (!shown) {
      std::fprintf(stderr, "printhost: the printer's properties cannot be shown (error %u)\n",
                   static_cast<unsigned>(failure));
      return 1;
    }
    if (!printing) {
      script.Finish();
      return script.failed() ? 1 : 0;
    }
  }
  std::string refused;
  std::vector<BYTE> devMode = DeviceMode(spec.printerName, options, refused);
  if (!refused.empty()) {
    std::fprintf(stderr, "printhost: %s\n", refused.c_str());
    return 1;
  }
  if (devMode.empty() && options.properties) {
    std::fprintf(stderr, "printhost: the driver gave no device mode to show (error %u)\n",
                 static_cast<unsigned>(GetLastError()));
    return 1;
  }
  if (devMode.empty())
    std::fprintf(stderr, "printhost: the driver gave no device mode (error %u); using none\n",
                 static_cast<unsigned>(GetLastError()));
  if (options.properties) {
    // As an application's Print dialog: the user edits the settings in the
    // driver's sheet and the job prints with what was chosen.
    std::vector<BYTE> chosen(devMode.size());
    const LONG answer =
        DocumentPropertiesA(0, 0, spec.printerName.data(), reinterpret_cast<DEVMODEA*>(chosen.data()),
                            reinterpret_cast<DEVMODEA*>(devMode.data()), DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER);
    const DWORD failure = GetLastError();
    if (script.failed()) {
      std::fprintf(stderr, "printhost: the script failed; nothing printed\n");
      return 1;
    }
    if (answer == IDCANCEL) {
      std::fprintf(stderr, "printhost: the document settings were cancelled; nothing printed\n");
      return 1;
    }
    if (answer != IDOK) {
      std::fprintf(stderr, "printhost: the document settings cannot be shown (error %u)\n",
                   static_cast<unsigned>(failure));
      return 1;
    }
    devMode = std::move(chosen);
  }
  script.Finish();
  if (script.failed()) {
    std::fprintf(stderr, "printhost: the script failed; nothing printed\n");
    return 1;
  }
  HDC dc = CreateDCA("WINSPOOL", spec.printerName.c_str(), nullptr,
                     devMode.empty() ? nullptr : reinterpret_cast<const DEVMODEA*>(devMode.data()));
  if (!dc) {
    std::fprintf(stderr, "printhost: cannot create the device context (error %u)\n",
                 static_cast<unsigned>(GetLastError()));
    return 1;
  }
  // With a port the job goes where the printer's port says.
  const std::string outputPath = output && !port ? platform::AnsiFromUtf8(WindowsPath(*output)) : std::string();
  const std::string docName = options.sample ? "Sample document"
                              : blankPages   ? "Blank pages"
                              : markedPages  ? "Marked pages"
                              : drawingList  ? *drawingList
                                             : options.textFile;
  DOCINFOA doc{sizeof(DOCINFOA), docName.c_str(), outputPath.empty() ? nullptr : outputPath.c_str(), nullptr, 0};
  bool ok = StartDocA(dc, &doc) > 0;
  if (ok) {
    if (blankPages) {
      for (long page = std::stol(*blankPages); ok && page > 0; --page) ok = Page(dc, [](int) {});
    } else if (markedPages) {
      const long count = std::stol(*markedPages);
      for (long page = 1; ok && page <= count; ++page) ok = Page(dc, [&](int dpi) { MarkPage(dc, dpi, page); });
    } else if (drawingList) {
      ok = printhost::PrintDrawingList(dc, *drawingList);
    } else {
      const std::string* face = options.Get("face");
      ok = options.sample ? SamplePages(dc)
                          : TextPages(dc, options.textFile, face ? platform::Utf16FromUtf8(*face) : u"Courier New");
    }
    if (ok && options.sample) {
      // The last page in landscape.
      std::vector<BYTE> landscape = devMode;
      if (!landscape.empty()) {
        auto* dm = reinterpret_cast<DEVMODEA*>(landscape.data());
        dm->dmOrientation = 2;
        dm->dmFields |= DM_ORIENTATION;
        ok = ResetDCA(dc, dm) != 0;
      }
      ok = ok && Page(dc, [&](int dpi) {
             HFONT font = Font(u"Arial", -dpi / 3);
             SelectObject(dc, font);
             Text(dc, dpi, dpi, u"Landscape page");
             DeleteObject(font);
           });
    }
    ok = ok ? EndDoc(dc) > 0 : (AbortDoc(dc), false);
  }
  const DWORD failure = GetLastError();
  DeleteDC(dc);
  if (!ok) {
    std::fprintf(stderr, "printhost: printing failed (error %u)\n", static_cast<unsigned>(failure));
    return 1;
  }
  std::printf("printed to %s\n", port ? port->c_str() : output->c_str());
  return 0;
}
