#include "graphics/output/download/font_face_name.h"

#include "platform/base/codepage.h"

std::string FaceNameAnsi(const IFIMETRICS* ifi) {
  if (!ifi || ifi->dpwszFaceName <= 0 || static_cast<ULONG>(ifi->dpwszFaceName) >= ifi->cjThis) return {};
  const auto* base = reinterpret_cast<const BYTE*>(ifi);
  std::u16string wide;
  for (ULONG at = static_cast<ULONG>(ifi->dpwszFaceName); at + 1 < ifi->cjThis; at += 2) {
    const char16_t c = static_cast<char16_t>(base[at] | (base[at + 1] << 8));
    if (c == 0) break;
    wide.push_back(c);
  }
  return platform::FromUtf16(wide, CP_ACP);
}
