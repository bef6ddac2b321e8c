#include "fontinstaller/download.h"

#include <cstring>

#include "fontinstaller/installer_module.h"
#include "fontinstaller/installer_strings.h"
#include "fontinstaller/soft_font_files.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/global_memory.h"
#include "platform/base/handles.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/message_box.h"

namespace fontinstaller {

const char kUniversalExit[] = "\x1B%-12345X";
const char kEnterPcl[] = "@PJL ENTER LANGUAGE = PCL\n";

namespace {

constexpr DWORD kFilePiece = 1024;
const char kDocumentName[] = "Download Font";
const char kRaw[] = "RAW";

void ShowLastErrorBox(HWND owner) {
  const DWORD code = GetLastError();
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0, nullptr);
  const std::string shown = length > 0 && text ? std::string(text, length) : "Error " + std::to_string(code);
  if (text) LocalFree(text);
  MessageBoxA(owner, shown.c_str(), "GetLastError", MB_OK | MB_ICONINFORMATION);
}

// One raw job of one page. A job that is not finished is cancelled, never
// printed: half a PJL file download would swallow the next job's bytes.
class RawJob {
 public:
  RawJob(HWND owner, const char* printerName, bool administer) : owner_(owner) {
    std::string name = printerName ? printerName : "";
    char datatype[] = "RAW";
    PRINTER_DEFAULTSA defaults{datatype, nullptr, PRINTER_ACCESS_ADMINISTER};
    if (name.empty() || !OpenPrinterA(name.data(), &printer_, administer ? &defaults : nullptr)) {
      if (name.empty()) SetLastError(ERROR_INVALID_PRINTER_NAME);
      printer_ = 0;
      ShowLastErrorBox(owner_);
      return;
    }
    char document[sizeof kDocumentName];
    std::memcpy(document, kDocumentName, sizeof document);
    char raw[sizeof kRaw];
    std::memcpy(raw, kRaw, sizeof raw);
    DOC_INFO_1A info{document, nullptr, raw};
    if (StartDocPrinterA(printer_, 1, reinterpret_cast<LPBYTE>(&info)) == 0) {
      ShowLastErrorBox(owner_);
      return;
    }
    docStarted_ = true;
    if (!StartPagePrinter(printer_)) {
      ShowLastErrorBox(owner_);
      return;
    }
    pageStarted_ = true;
  }
  ~RawJob() {
    if (docStarted_ && !finished_) AbortPrinter(printer_);
    if (printer_) ClosePrinter(printer_);
  }
  RawJob(const RawJob&) = delete;
  RawJob& operator=(const RawJob&) = delete;

  bool started() const { return pageStarted_; }
  HANDLE printer() const { return printer_; }

  bool Write(const std::string& bytes) {
    return SendString(printer_, bytes.data(), static_cast<DWORD>(bytes.size())) >= 0;
  }

  // Ends the page and the document; the job goes to the printer's port.
  bool Finish() {
    const bool page = EndPagePrinter(printer_) != FALSE;
    if (!page) return false;
    finished_ = true;
    return EndDocPrinter(printer_) != FALSE;
  }

 private:
  HWND owner_;
  HANDLE printer_ = 0;
  bool docStarted_ = false;
  bool pageStarted_ = false;
  bool finished_ = false;
};

void ShowDownloadFailed(HWND owner) {
  const std::string text = LoadText(kStringDownloadFailed);
  MessageBoxA(owner, text.c_str(), "", MB_OK | MB_ICONERROR);
}

std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

// Sends the file whole, or shows why not; false stops the job.
bool SendWholeFile(HWND owner, RawJob& job, const std::string& path, long size) {
  const long sent = SendFile(job.printer(), path.c_str());
  if (sent != size) {
    ShowDownloadFailed(owner);
    return false;
  }
  return true;
}

}  // namespace

std::string PclEscape(char first, char second, long number, char final) {
  std::string out = "\x1B";
  out += first;
  out += second;
  out += std::to_string(number);
  out += final;
  return out;
}

std::string MakeFolderLine(const std::string& folder) { return "@PJL FSMKDIR NAME =\"" + folder + "\"\n"; }

std::string StoreFileLine(const std::string& path, long size) {
  return "@PJL FSDOWNLOAD FORMAT:BINARY NAME =\"" + path + "\" SIZE=" + std::to_string(size) + "\n";
}

std::string DeleteFileLine(const std::string& path) { return "@PJL FSDELETE NAME =\"" + path + "\"\n"; }

long SendFile(HANDLE printer, const char* fileName) {
  if (!fileName) return -1;
  HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return -1;
  long total = 0;
  BYTE piece[kFilePiece];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, piece, kFilePiece, &got, nullptr)) {
      CloseHandle(file);
      return -1;
    }
    DWORD written = 0;
    if (!WritePrinter(printer, piece, got, &written)) written = 0;
    total += static_cast<long>(written);
    if (written < kFilePiece) break;
  }
  CloseHandle(file);
  return total;
}

int DownloadFont(HWND owner, const char* printerName, const InstalledFontEntry& entry, const char* file, DWORD flags) {
  // An id outside PCL's range would be sent as ESC *c-1D or taken modulo by the printer.
  if (!IsPclId(entry.id)) return 0;
  const std::string path = file ? std::string(file) : Field(entry.fontFilePath, sizeof entry.fontFilePath);
  const long size = FileSizeOf(path.c_str());
  if (size <= 0) return 0;

  RawJob job(owner, printerName, true);
  if (!job.started()) return 0;
  if (!job.Write(kUniversalExit)) return 0;
  if (flags & kDownloadToDisk) {
    if (!job.Write(MakeFolderLine("0:/fonts"))) return 0;
    if (!job.Write(StoreFileLine("0:/fonts/" + std::to_string(entry.id), size))) return 0;
    if (!SendWholeFile(owner, job, path, size)) return 0;
  } else {
    // clang-format off
    if (!job.Write(kEnterPcl) || !job.Write("\x1B" "E") || !job.Write(PclEscape('*', 'c', entry.id, 'D'))) return 0;
    // clang-format on
    if (entry.location == kLocationPrinterDisk) {
      const std::string diskPath = Field(entry.fontFilePath, sizeof entry.fontFilePath);
      if (!job.Write(PclEscape('|', 'f', static_cast<long>(diskPath.size()), 'D') + diskPath)) return 0;
    }
    if (!SendWholeFile(owner, job, path, size)) return 0;
    if ((flags & kDownloadToMemory) && !job.Write(PclEscape('*', 'c', 5, 'F'))) return 0;
  }
  if (!job.Write(kUniversalExit)) return 0;
  return job.Finish() ? 1 : 0;
}

int DownloadMacro(HWND owner, const char* printerName, const InstalledMacroEntry& entry, DWORD flags) {
  if (!IsPclId(entry.id)) return 0;
  const std::string name = Field(entry.name, sizeof entry.name);
  const std::string path = Field(entry.filePath, sizeof entry.filePath);
  const bool toDisk = (flags & kDownloadToDisk) != 0;
  // A name that reaches a PJL command must not be able to end its quotes or line.
  if (toDisk && !IsValidMacroName(name)) return 0;
  // Storing on the printer's disk always sends the file: a file stored empty is
  // worse than none.
  const bool sendsFile = entry.location == kLocationPcDisk || toDisk;
  long size = 0;
  if (sendsFile) {
    size = FileSizeOf(path.c_str());
    if (size <= 0) return 0;
  }

  RawJob job(owner, printerName, false);
  if (!job.started()) return 0;
  if (!job.Write(kUniversalExit)) return 0;
  if (toDisk) {
    if (!job.Write(MakeFolderLine("0:/pcl")) || !job.Write(MakeFolderLine("0:/pcl/macros")) ||
        !job.Write(StoreFileLine("0:/pcl/macros/" + name, size))) {
      return 0;
    }
    if (!SendWholeFile(owner, job, path, size)) return 0;
  } else {
    // clang-format off
    if (!job.Write(kEnterPcl) || !job.Write("\x1B" "E") || !job.Write(PclEscape('&', 'f', entry.id, 'Y'))) return 0;
    // clang-format on
    if (entry.location == kLocationPcDisk) {
      if (!job.Write(PclEscape('&', 'f', 0, 'X'))) return 0;
      if (!SendWholeFile(owner, job, path, size)) return 0;
      if (!job.Write(PclEscape('&', 'f', 1, 'X'))) return 0;
    }
    if ((flags & kDownloadToMemory) && !job.Write(PclEscape('&', 'f', 10, 'X'))) return 0;
  }
  if (!job.Write(kUniversalExit)) return 0;
  return job.Finish() ? 1 : 0;
}

}  // namespace fontinstaller

using namespace fontinstaller;

int SendString(HANDLE printer, const void* bytes, DWORD length) {
  DWORD written = 0;
  if (!WritePrinter(printer, const_cast<void*>(bytes), length, &written) || written != length) return -1;
  return static_cast<int>(length);
}

int deletePCLFile(HWND owner, LPCSTR fileName, int kind, LPSTR printerName, int* fontId, InstalledMacroEntry* macro) {
  if (kind != kKindAll && (!fileName || !*fileName)) return 0;
  std::string command;
  if (kind == kKindFonts) {
    if (!fontId || !IsPclId(*fontId)) return 0;
    command = DeleteFileLine("0:/fonts/" + std::to_string(*fontId));
  } else if (kind == kKindMacros) {
    if (!macro) return 0;
    const std::string name(macro->name, strnlen(macro->name, sizeof macro->name));
    if (!IsValidMacroName(name)) return 0;
    command = DeleteFileLine("0:/pcl/macros/" + name);
  } else if (kind == kKindAll) {
    command = PclEscape('|', 's', 2, 'X');
  }
  RawJob job(owner, printerName, true);
  if (!job.started()) return 0;
  // Success only when the printer got the whole command and its frame.
  if (!job.Write(kUniversalExit)) return 0;
  if (!command.empty() && !job.Write(command)) return 0;
  if (!job.Write(kUniversalExit)) return 0;
  return job.Finish() ? 1 : 0;
}

HANDLE StartPrintJob(LPCSTR printerName, DWORD, DWORD) {
  if (!printerName) return 0;
  std::string name = printerName;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
  HANDLE printer = 0;
  if (!OpenPrinterA(name.data(), &printer, &defaults)) return 0;
  char document[sizeof "Download Font"] = "Download Font";
  char raw[] = "RAW";
  DOC_INFO_1A info{document, nullptr, raw};
  if (StartDocPrinterA(printer, 1, reinterpret_cast<LPBYTE>(&info)) == 0) {
    ClosePrinter(printer);
    return 0;
  }
  if (!StartPagePrinter(printer)) {
    AbortPrinter(printer);
    ClosePrinter(printer);
    return 0;
  }
  return printer;
}

BOOL EndPrintJob(HANDLE printer, int keep) {
  if (!printer) return FALSE;
  const BOOL ended = EndPagePrinter(printer) && EndDocPrinter(printer);
  // The handle stays with a caller that asks to keep it; the queue itself is never touched.
  if (keep > 0) ClosePrinter(printer);
  return ended;
}
