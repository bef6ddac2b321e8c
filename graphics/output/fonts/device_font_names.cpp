// Family names of fonts as the font choice compares them.
#include <string>

#include "graphics/output/fonts/device_font_names.h"
#include "graphics/output/fonts/device_fonts.h"
#include "platform/base/codepage.h"

std::u16string FontFamilyWide(const IFIMETRICS* metrics) {
  if (!metrics || metrics->dpwszFamilyName <= 0 || static_cast<ULONG>(metrics->dpwszFamilyName) >= metrics->cjThis)
    return {};
  const auto* base = reinterpret_cast<const BYTE*>(metrics);
  std::u16string name;
  for (ULONG at = static_cast<ULONG>(metrics->dpwszFamilyName); at + 1 < metrics->cjThis; at += 2) {
    const char16_t c = static_cast<char16_t>(base[at] | (base[at + 1] << 8));
    if (c == 0) break;
    name.push_back(c);
  }
  return name;
}

std::string FontFamilyAnsi(const IFIMETRICS* metrics) { return platform::FromUtf16(FontFamilyWide(metrics), CP_ACP); }

int FindDeviceFontByName(const char* name, const DeviceFontList* fonts) {
  if (!name || !fonts || !fonts->entries) return -1;
  for (DWORD i = 0; i < fonts->count; ++i) {
    if (lstrcmpiA(FontFamilyAnsi(fonts->entries[i].metrics).c_str(), name) == 0) return static_cast<int>(i);
  }
  return -1;
}
