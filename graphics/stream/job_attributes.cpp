// The PJL job-attribute line: account (or the client's address), document name,
// address and job number, each ended by a 0 byte, sent as one quoted value in
// which control bytes, quotes and "=" are written as "=" and two hexadecimal
// digits, so the value stays on one line and can be split back into its fields.
#include <cstring>
#include <string>

#include "graphics/core/pdev.h"
#include "graphics/stream/output.h"

namespace {

constexpr size_t kAccountChars = 31;
constexpr size_t kDocumentNameChars = 127;

void AppendField(std::string& block, const char* text, size_t maxChars) {
  block.append(text, strnlen(text, maxChars));
  block.push_back('\0');
}

}  // namespace

size_t EscapeJobAttribute(char* out, size_t capacity, const char* block, size_t length) {
  if (out == nullptr || block == nullptr) return 0;
  size_t used = 0;
  for (size_t i = 0; i < length; ++i) {
    const BYTE byte = static_cast<BYTE>(block[i]);
    if (byte < 32 || byte == '"' || byte == '=') {
      if (used + 3 > capacity) break;  // stop before an item that no longer fits
      char escaped[4];
      FormatOut(escaped, "=%x", static_cast<uint32_t>(byte));
      std::memcpy(out + used, escaped, 3);
      used += 3;
    } else {
      if (used + 1 > capacity) break;
      out[used++] = static_cast<char>(byte);
    }
  }
  return used;
}

int EmitJobAttributes(PDEV* pdev) {
  if (pdev == nullptr) return 0;
  if (pdev->carried.addressValue == 0) return 1;
  const DWORD address = pdev->carried.addressValue;
  char addressText[16];
  FormatOut(addressText, "%u.%u.%u.%u", address & 0xFF, (address >> 8) & 0xFF, (address >> 16) & 0xFF,
            (address >> 24) & 0xFF);

  const XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
  // The document's name as the document start keeps it in the device mode (127
  // characters), else the record's shorter copy.
  const bool longName = settings.documentName[0] != '\0';
  const char* documentName = longName ? settings.documentName : pdev->carried.documentName;
  const size_t documentNameChars = longName ? kDocumentNameChars : sizeof pdev->carried.documentName - 1;
  char account[kAccountChars + 1] = {};
  std::memcpy(account, settings._sAccount, kAccountChars);
  char jobNumber[24];
  FormatOut(jobNumber, "Job#%l", static_cast<int32_t>(pdev->carried.spoolerJobId));

  std::string block;
  AppendField(block, account[0] != '\0' ? account : addressText, kAccountChars);
  AppendField(block, documentName, documentNameChars);
  AppendField(block, addressText, sizeof addressText);
  AppendField(block, jobNumber, sizeof jobNumber);

  char escaped[kJobAttributeBlockBytes];
  const size_t escapedLength = EscapeJobAttribute(escaped, sizeof escaped, block.data(), block.size());
  const char kLineStart[] = "@PJL SET JOBATTR=\"";
  if (WriteOut(pdev, kWriteBytes, sizeof kLineStart - 1, kLineStart) != static_cast<int>(sizeof kLineStart - 1)) {
    return 0;
  }
  if (escapedLength > 0 &&
      WriteOut(pdev, kWriteBytes, static_cast<int>(escapedLength), escaped) != static_cast<int>(escapedLength)) {
    return 0;
  }
  return WriteOut(pdev, kWriteBytes, 2, "\"\n") == 2 ? 1 : 0;
}
