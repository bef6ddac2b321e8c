#include "interface/decorations/decoration_support.h"

#include "interface/util/paths.h"
#include "platform/gdi/dc.h"

void SendEscapeDword(HDC dc, ULONG escape, DWORD value) {
  ExtEscape(dc, static_cast<int>(escape), sizeof value, reinterpret_cast<const char*>(&value), 0, nullptr);
}

int DecorationDpi(HDC dc, const XDEVMODE* devmode) {
  if (devmode != nullptr && devmode->dmPublic.dmPrintQuality > 0) return devmode->dmPublic.dmPrintQuality;
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  return dpi > 0 ? dpi : 600;
}

const PaperEntry* FindModelPaper(const ModelRecord& record, int paperId) {
  for (const PaperEntry& paper : record.papers) {
    if (paper.id == 0) break;
    if (paper.id == paperId) return &paper;
  }
  return nullptr;
}

std::string ApplicationBaseName(const XDEVMODE& devmode) {
  char path[sizeof devmode.dmPrivate.applicationPath + 1] = {};
  std::memcpy(path, devmode.dmPrivate.applicationPath, sizeof devmode.dmPrivate.applicationPath);
  char name[sizeof path] = {};
  if (!SplitPath(nullptr, 0, name, sizeof name, path)) return {};
  std::string base = name;
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.resize(dot);
  return base;
}

bool EqualsIgnoreCase(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}
