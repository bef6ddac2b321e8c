#include "platform/base/codepage.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <type_traits>
#include <utility>

#include "platform/base/errors.h"

namespace platform {
namespace {

std::atomic<UINT>& ProcessCodePage() {
  static std::atomic<UINT> codePage = [] {
    if (const char* env = std::getenv("ZEL_CODEPAGE")) {
      UINT requested = static_cast<UINT>(std::strtoul(env, nullptr, 10));
      if (IsSupportedCodePage(requested) && requested != CP_ACP) return requested;
    }
    return UINT{932};
  }();
  return codePage;
}

UINT Resolve(UINT codePage) {
  if (codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP || codePage == CP_MACCP) {
    return ProcessCodePage().load();
  }
  return codePage;
}

const char* IconvName(UINT codePage) {
  switch (codePage) {
    case 932: return "CP932";
    case 1252: return "CP1252";
    case 50220:
    case 50221:
    case 50222: return "ISO-2022-JP";
    case CP_UTF8: return "UTF-8";
    default: return nullptr;
  }
}

// One iconv descriptor per thread and direction; opening one costs far more
// than a short conversion. They close when the thread ends, so threads that come
// and go (a spooler's, a monitor's) do not leak them.
struct ConverterCache {
  std::map<std::pair<std::string, std::string>, iconv_t> descriptors;
  ConverterCache() = default;
  ConverterCache(const ConverterCache&) = delete;
  ConverterCache& operator=(const ConverterCache&) = delete;
  ~ConverterCache() {
    for (auto& entry : descriptors) {
      if (entry.second != reinterpret_cast<iconv_t>(-1)) iconv_close(entry.second);
    }
  }
};

// A code page iconv has no name for has no converter (not an exception).
iconv_t Converter(const char* to, const char* from) {
  if (!to || !from) return reinterpret_cast<iconv_t>(-1);
  thread_local ConverterCache cache;
  auto key = std::make_pair(std::string(to), std::string(from));
  auto it = cache.descriptors.find(key);
  if (it != cache.descriptors.end()) {
    iconv(it->second, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    return it->second;
  }
  iconv_t cd = iconv_open(to, from);
  cache.descriptors.emplace(key, cd);
  return cd;
}

bool IsLeadByte(UINT codePage, unsigned char c) {
  if (codePage == 932) return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
  return false;
}

bool IsTrailByte(UINT codePage, unsigned char c) {
  if (codePage == 932) return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
  return false;
}

char16_t ReplacementFor(UINT codePage) { return codePage == 932 ? u'\u30FB' : u'\uFFFD'; }

// Single bytes that iconv's tables leave undefined but Windows maps one to one
// (1252's five holes onto the C1 controls, 932's onto U+0080 and private-use
// code points), so any byte string survives a trip through UTF-16.
char16_t UndefinedByteToUnit(UINT codePage, unsigned char c) {
  if (codePage == 1252 && (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)) return c;
  if (codePage == 932) {
    if (c == 0x80) return 0x80;
    if (c == 0xA0) return 0xF8F0;
    if (c >= 0xFD) return char16_t(0xF8F1 + (c - 0xFD));
  }
  return 0;
}

int UnitToUndefinedByte(UINT codePage, char16_t unit) {
  if (codePage == 1252 && (unit == 0x81 || unit == 0x8D || unit == 0x8F || unit == 0x90 || unit == 0x9D)) return unit;
  if (codePage == 932) {
    if (unit == 0x80) return 0x80;
    if (unit == 0xF8F0) return 0xA0;
    if (unit >= 0xF8F1 && unit <= 0xF8F3) return 0xFD + (unit - 0xF8F1);
  }
  return -1;
}

// Code pages whose bytes 0x00-0x7F are the same characters as U+0000-U+007F both
// ways, so ASCII text converts without iconv (most names, keys and paths are ASCII).
bool AsciiIsIdentity(UINT codePage) { return codePage == 932 || codePage == 1252 || codePage == CP_UTF8; }

template <class Text>
bool IsAscii(const Text& text) {
  for (auto c : text) {
    if (static_cast<std::make_unsigned_t<decltype(c)>>(c) >= 0x80) return false;
  }
  return true;
}

// Decodes into UTF-16; false (and nothing promised of out) on an invalid sequence
// when strict, else the sequence is replaced.
bool Decode(UINT codePage, std::string_view in, std::u16string& out, bool strict) {
  out.clear();
  if (AsciiIsIdentity(codePage) && IsAscii(in)) {
    out.assign(in.begin(), in.end());
    return true;
  }
  if (codePage == CP_SYMBOL) {
    for (unsigned char c : in) out.push_back(c < 0x20 ? char16_t(c) : char16_t(0xF000 + c));
    return true;
  }
  iconv_t cd = Converter("UTF-16LE", IconvName(codePage));
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.reserve(in.size());
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buffer[1024];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    size_t produced = (sizeof buffer - dstLeft) / 2;
    for (size_t i = 0; i < produced; ++i) {
      out.push_back(
          char16_t(static_cast<unsigned char>(buffer[2 * i]) | (static_cast<unsigned char>(buffer[2 * i + 1]) << 8)));
    }
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    unsigned char first = static_cast<unsigned char>(src[0]);
    if (char16_t unit = UndefinedByteToUnit(codePage, first)) {
      out.push_back(unit);
      ++src;
      --srcLeft;
      continue;
    }
    if (strict) return false;
    // An invalid or incomplete sequence: replace one character and go on. A byte
    // that cannot be a trail byte (the terminator, ASCII punctuation) is not
    // swallowed with the broken lead byte.
    size_t skip =
        (IsLeadByte(codePage, first) && srcLeft >= 2 && IsTrailByte(codePage, static_cast<unsigned char>(src[1]))) ? 2
                                                                                                                   : 1;
    out.push_back(ReplacementFor(codePage));
    src += skip;
    srcLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

bool Encode(UINT codePage, std::u16string_view in, std::string& out, char defaultChar, bool* usedDefault, bool strict) {
  out.clear();
  if (usedDefault) *usedDefault = false;
  if (AsciiIsIdentity(codePage) && IsAscii(in)) {
    out.assign(in.begin(), in.end());
    return true;
  }
  if (codePage == CP_SYMBOL) {
    for (char16_t c : in) {
      if (c < 0x100)
        out.push_back(static_cast<char>(c));
      else if (c >= 0xF000 && c <= 0xF0FF)
        out.push_back(static_cast<char>(c & 0xFF));
      else {
        if (strict) return false;
        out.push_back(defaultChar);
        if (usedDefault) *usedDefault = true;
      }
    }
    return true;
  }
  iconv_t cd = Converter(IconvName(codePage), "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string bytes;
  bytes.reserve(in.size() * 2);
  for (char16_t c : in) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  char* src = bytes.data();
  size_t srcLeft = bytes.size();
  char buffer[1024];
  out.reserve(in.size() * 2);
  for (;;) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t rc = srcLeft > 0 ? iconv(cd, &src, &srcLeft, &dst, &dstLeft)
                            : iconv(cd, nullptr, nullptr, &dst, &dstLeft);  // flush shift state
    out.append(buffer, sizeof buffer - dstLeft);
    if (rc != static_cast<size_t>(-1)) {
      if (srcLeft == 0) {
        if (dst == buffer) break;
        continue;
      }
      continue;
    }
    if (errno == E2BIG) continue;
    char16_t unit = char16_t(static_cast<unsigned char>(src[0]) | (static_cast<unsigned char>(src[1]) << 8));
    if (int byte = UnitToUndefinedByte(codePage, unit); byte >= 0) {
      out.push_back(static_cast<char>(byte));
      src += 2;
      srcLeft -= 2;
      continue;
    }
    if (strict) return false;
    // An unmappable character (or half a surrogate pair): the default character.
    size_t skip = 2;
    if (unit >= 0xD800 && unit <= 0xDBFF && srcLeft >= 4) skip = 4;
    out.push_back(defaultChar);
    if (usedDefault) *usedDefault = true;
    src += skip;
    srcLeft -= skip;
  }
  return true;
}

}  // namespace

bool IsSupportedCodePage(UINT codePage) {
  UINT cp = codePage == CP_ACP ? 932 : codePage;
  return cp == CP_SYMBOL || IconvName(cp) != nullptr;
}

bool SetAnsiCodePage(UINT codePage) {
  if (codePage == CP_ACP || codePage == CP_SYMBOL || !IsSupportedCodePage(codePage)) return false;
  ProcessCodePage().store(codePage);
  return true;
}

UINT AnsiCodePage() { return ProcessCodePage().load(); }

std::u16string ToUtf16(std::string_view text, UINT codePage) {
  std::u16string out;
  Decode(Resolve(codePage), text, out, false);
  return out;
}

std::string FromUtf16(std::u16string_view text, UINT codePage, bool* usedDefault) {
  std::string out;
  Encode(Resolve(codePage), text, out, '?', usedDefault, false);
  return out;
}

std::string Utf8FromAnsi(std::string_view ansi) { return Utf8FromUtf16(ToUtf16(ansi)); }
std::string AnsiFromUtf8(std::string_view utf8) { return FromUtf16(Utf16FromUtf8(utf8)); }

std::string Utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  Decode(CP_UTF8, text, out, false);
  return out;
}

std::u16string Utf16FromZ(LPCWSTR text) {
  if (!text) return {};
  return std::u16string(text);
}

char16_t FoldChar(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return char16_t(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return char16_t(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 0x50);
  if (c >= 0xFF41 && c <= 0xFF5A) return char16_t(c - 0x20);  // fullwidth letters
  return c;
}

std::u16string FoldCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = FoldChar(c);
  return out;
}

std::string FoldCaseAnsi(std::string_view ansi) {
  UINT cp = AnsiCodePage();
  std::string out(ansi);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsLeadByte(cp, c) && i + 1 < out.size()) {
      ++i;  // never fold a trail byte
    } else if (c >= 'a' && c <= 'z') {
      out[i] = static_cast<char>(c - 0x20);
    } else if (cp == 1252 && c >= 0xE0 && c <= 0xFE && c != 0xF7) {
      out[i] = static_cast<char>(c - 0x20);
    }
  }
  return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldChar(a[i]) != FoldChar(b[i])) return false;
  }
  return true;
}

bool EqualsNoCaseAnsi(std::string_view a, std::string_view b) { return EqualsNoCase(ToUtf16(a), ToUtf16(b)); }

bool EqualsNoCaseUtf8(std::string_view a, std::string_view b) {
  return EqualsNoCase(Utf16FromUtf8(a), Utf16FromUtf8(b));
}

size_t CharLengthAnsi(std::string_view ansi, size_t index) {
  if (index + 1 < ansi.size() && IsLeadByte(AnsiCodePage(), static_cast<unsigned char>(ansi[index]))) return 2;
  return 1;
}

size_t FindLastCharAnsi(std::string_view ansi, char c) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < ansi.size(); i += CharLengthAnsi(ansi, i)) {
    if (ansi[i] == c) found = i;
  }
  return found;
}

size_t FindFirstCharAnsi(std::string_view ansi, char c) {
  for (size_t i = 0; i < ansi.size(); i += CharLengthAnsi(ansi, i)) {
    if (ansi[i] == c) return i;
  }
  return std::string_view::npos;
}

size_t WholeCharacterPrefix(std::string_view text, size_t maxBytes) {
  size_t whole = 0;
  while (whole < text.size()) {
    const size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[whole])) && whole + 1 < text.size() ? 2 : 1;
    if (whole + width > maxBytes) break;
    whole += width;
  }
  return whole;
}

}  // namespace platform

using platform::Resolve;

UINT GetACP(void) { return platform::AnsiCodePage(); }
UINT GetOEMCP(void) { return platform::AnsiCodePage(); }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceBytes, LPWSTR target, int targetChars) {
  UINT cp = Resolve(codePage);
  if (!source || sourceBytes == 0 || sourceBytes < -1 || targetChars < 0 || (!target && targetChars != 0) ||
      !platform::IsSupportedCodePage(cp)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = sourceBytes == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceBytes);
  std::u16string out;
  if (!platform::Decode(cp, std::string_view(source, length), out, (flags & MB_ERR_INVALID_CHARS) != 0)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (targetChars == 0) return static_cast<int>(out.size());
  size_t copy = std::min(out.size(), static_cast<size_t>(targetChars));
  std::memcpy(target, out.data(), copy * sizeof(WCHAR));
  if (out.size() > static_cast<size_t>(targetChars)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  return static_cast<int>(out.size());
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceChars, LPSTR target, int targetBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  UINT cp = Resolve(codePage);
  if (!source || sourceChars == 0 || sourceChars < -1 || targetBytes < 0 || (!target && targetBytes != 0) ||
      !platform::IsSupportedCodePage(cp) || (cp == CP_UTF8 && (defaultChar || usedDefaultChar))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = sourceChars == -1 ? std::char_traits<char16_t>::length(source) + 1 : static_cast<size_t>(sourceChars);
  std::string out;
  bool used = false;
  bool strict = (flags & WC_ERR_INVALID_CHARS) != 0 && cp == CP_UTF8;
  if (!platform::Encode(cp, std::u16string_view(source, length), out, defaultChar ? *defaultChar : '?', &used,
                        strict)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (usedDefaultChar) *usedDefaultChar = used ? TRUE : FALSE;
  if (targetBytes == 0) return static_cast<int>(out.size());
  size_t copy = std::min(out.size(), static_cast<size_t>(targetBytes));
  std::memcpy(target, out.data(), copy);
  if (out.size() > static_cast<size_t>(targetBytes)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  return static_cast<int>(out.size());
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar) {
  return platform::IsLeadByte(Resolve(codePage), testChar) ? TRUE : FALSE;
}

BOOL IsDBCSLeadByte(BYTE testChar) { return IsDBCSLeadByteEx(CP_ACP, testChar); }

LPSTR CharNextA(LPCSTR current) {
  if (!current || *current == 0) return const_cast<LPSTR>(current);
  if (IsDBCSLeadByte(static_cast<BYTE>(*current)) && current[1] != 0) return const_cast<LPSTR>(current + 2);
  return const_cast<LPSTR>(current + 1);
}

LPSTR CharPrevA(LPCSTR start, LPCSTR current) {
  if (!start || !current || current <= start) return const_cast<LPSTR>(start);
  LPCSTR p = start;
  for (;;) {
    LPCSTR next = CharNextA(p);
    if (next >= current || next == p) return const_cast<LPSTR>(p);
    p = next;
  }
}

namespace {
void MapAnsiLetters(LPSTR text, size_t length, bool upper) {
  UINT cp = platform::AnsiCodePage();
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (platform::IsLeadByte(cp, c) && i + 1 < length) {
      ++i;
    } else if (upper && c >= 'a' && c <= 'z') {
      text[i] = static_cast<char>(c - 0x20);
    } else if (!upper && c >= 'A' && c <= 'Z') {
      text[i] = static_cast<char>(c + 0x20);
    }
  }
}
}  // namespace

LPSTR CharUpperA(LPSTR text) {
  if ((reinterpret_cast<ULONG_PTR>(text) >> 16) == 0) {  // a single character passed in the pointer
    ULONG_PTR c = reinterpret_cast<ULONG_PTR>(text);
    if (c >= 'a' && c <= 'z') c -= 0x20;
    return reinterpret_cast<LPSTR>(c);
  }
  MapAnsiLetters(text, std::strlen(text), true);
  return text;
}

DWORD CharUpperBuffA(LPSTR text, DWORD length) {
  if (!text) return 0;
  MapAnsiLetters(text, length, true);
  return length;
}

LPSTR CharLowerA(LPSTR text) {
  if ((reinterpret_cast<ULONG_PTR>(text) >> 16) == 0) {
    ULONG_PTR c = reinterpret_cast<ULONG_PTR>(text);
    if (c >= 'A' && c <= 'Z') c += 0x20;
    return reinterpret_cast<LPSTR>(c);
  }
  MapAnsiLetters(text, std::strlen(text), false);
  return text;
}

int lstrlenA(LPCSTR text) { return text ? static_cast<int>(std::strlen(text)) : 0; }
int lstrlenW(LPCWSTR text) { return text ? static_cast<int>(std::char_traits<char16_t>::length(text)) : 0; }

namespace {
int CompareUnits(std::u16string_view a, std::u16string_view b, bool fold) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = fold ? platform::FoldChar(a[i]) : a[i];
    char16_t y = fold ? platform::FoldChar(b[i]) : b[i];
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}
}  // namespace

int lstrcmpA(LPCSTR a, LPCSTR b) {
  return CompareUnits(platform::ToUtf16(a ? a : ""), platform::ToUtf16(b ? b : ""), false);
}
int lstrcmpiA(LPCSTR a, LPCSTR b) {
  return CompareUnits(platform::ToUtf16(a ? a : ""), platform::ToUtf16(b ? b : ""), true);
}
int lstrcmpW(LPCWSTR a, LPCWSTR b) { return CompareUnits(platform::Utf16FromZ(a), platform::Utf16FromZ(b), false); }
int lstrcmpiW(LPCWSTR a, LPCWSTR b) { return CompareUnits(platform::Utf16FromZ(a), platform::Utf16FromZ(b), true); }

LPSTR lstrcpynA(LPSTR target, LPCSTR source, int maxChars) {
  if (!target || maxChars <= 0) return target;
  int i = 0;
  for (; source && i < maxChars - 1 && source[i]; ++i) target[i] = source[i];
  target[i] = 0;
  return target;
}

LPWSTR lstrcpynW(LPWSTR target, LPCWSTR source, int maxChars) {
  if (!target || maxChars <= 0) return target;
  int i = 0;
  for (; source && i < maxChars - 1 && source[i]; ++i) target[i] = source[i];
  target[i] = 0;
  return target;
}

LPSTR lstrcpyA(LPSTR target, LPCSTR source) {
  if (!target) return nullptr;
  std::strcpy(target, source ? source : "");
  return target;
}

LPSTR lstrcatA(LPSTR target, LPCSTR source) {
  if (!target) return nullptr;
  std::strcat(target, source ? source : "");
  return target;
}
