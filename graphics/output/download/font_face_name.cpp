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
  if (wide.empty()) return {};
  const int bytes = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(wide.c_str()),
                                        static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(wide.c_str()), static_cast<int>(wide.size()), out.data(),
                      bytes, nullptr, nullptr);
  return out;
}
