#include "detect/detection_job.h"

#include <cstdio>
#include <ctime>

#include "platform/spooler/spooler.h"

std::string EncodeJobAttribute(const std::string& message, size_t limit) {
  std::string encoded;
  for (unsigned char byte : message) {
    const bool escaped = byte < 0x20 || byte == '"' || byte == '=';
    const size_t need = escaped ? 3 : 1;
    if (encoded.size() + need > limit) break;
    if (escaped) {
      char text[4];
      std::snprintf(text, sizeof text, "=%02X", byte);
      encoded += text;
    } else {
      encoded += static_cast<char>(byte);
    }
  }
  return encoded;
}

std::string DetectionMessage(const std::string& hostAddress, int jobNumber) {
  std::string message = "DetectClient";
  message += '\0';
  message += "DetectJob";
  message += '\0';
  message += hostAddress;
  message += '\0';
  message += "Job#" + std::to_string(jobNumber);
  message += '\0';
  return message;
}

std::string DetectionJobBytes(const std::string& hostAddress, int jobNumber) {
  const std::string uel = "\x1B%-12345X";
  return uel + "@PJL SET JOBATTR=\"" + EncodeJobAttribute(DetectionMessage(hostAddress, jobNumber)) + "\"" + uel;
}

int DetectionJobNumber() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local)) return -1;
  return local.tm_sec % 60;
}

bool SendRawToPrinter(const std::string& printerName, const std::string& bytes) {
  HANDLE printer = 0;
  std::string name = printerName;
  if (!OpenPrinterA(name.data(), &printer, nullptr)) return false;
  char documentName[] = " ";
  char dataType[] = "RAW";
  DOC_INFO_1A document{documentName, nullptr, dataType};
  bool ok = StartDocPrinterA(printer, 1, reinterpret_cast<LPBYTE>(&document)) != 0;
  if (ok) {
    DWORD written = 0;
    std::string copy = bytes;
    ok = WritePrinter(printer, copy.data(), static_cast<DWORD>(copy.size()), &written) && written == copy.size();
    // A job that could not be written whole is taken back, not printed in part.
    if (!ok)
      AbortPrinter(printer);
    else
      ok = EndDocPrinter(printer) != 0;
  }
  ClosePrinter(printer);
  return ok;
}
