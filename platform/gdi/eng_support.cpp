// Engine support services: memory, semaphores, code pages, resources, glyph sets.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/handles.h"
#include "platform/base/resources.h"
#include "platform/gdi/engine_internal.h"

namespace {

class Semaphore : public platform::KernelObject {
 public:
  std::recursive_mutex mutex;
};

// Bytes of `wide` converted to the ANSI code page, cut to `maxBytes` without
// splitting a double-byte character.
std::string AnsiCut(std::u16string_view wide, size_t maxBytes) {
  std::string ansi = platform::FromUtf16(wide, CP_ACP);
  if (ansi.size() <= maxBytes) return ansi;
  size_t end = 0;
  while (end < ansi.size()) {
    const size_t next = end + platform::CharLengthAnsi(ansi, end);
    if (next > maxBytes) break;
    end = next;
  }
  return ansi.substr(0, end);
}

}  // namespace

ZEL_EXTERN_C PVOID EngAllocMem(ULONG Flags, ULONG MemSize, ULONG) {
  void* p =
      (Flags & FL_ZERO_MEMORY) ? std::calloc(1, MemSize == 0 ? 1 : MemSize) : std::malloc(MemSize == 0 ? 1 : MemSize);
  if (p == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}

ZEL_EXTERN_C void EngFreeMem(PVOID Mem) { std::free(Mem); }

ZEL_EXTERN_C HSEMAPHORE EngCreateSemaphore(void) { return platform::InsertHandle(std::make_shared<Semaphore>()); }

ZEL_EXTERN_C void EngAcquireSemaphore(HSEMAPHORE hsem) {
  if (auto semaphore = platform::LookupHandle<Semaphore>(hsem)) semaphore->mutex.lock();
}

ZEL_EXTERN_C void EngReleaseSemaphore(HSEMAPHORE hsem) {
  if (auto semaphore = platform::LookupHandle<Semaphore>(hsem)) semaphore->mutex.unlock();
}

ZEL_EXTERN_C void EngDeleteSemaphore(HSEMAPHORE hsem) {
  if (platform::LookupHandle<Semaphore>(hsem)) platform::RemoveHandle(hsem);
}

ZEL_EXTERN_C void EngGetCurrentCodePage(PUSHORT OemCodePage, PUSHORT AnsiCodePage) {
  if (OemCodePage != nullptr) *OemCodePage = static_cast<USHORT>(GetOEMCP());
  if (AnsiCodePage != nullptr) *AnsiCodePage = static_cast<USHORT>(GetACP());
}

ZEL_EXTERN_C void EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                                         PULONG BytesInUnicodeString, PCHAR MultiByteString,
                                         ULONG BytesInMultiByteString) {
  std::u16string wide;
  if (MultiByteString != nullptr && BytesInMultiByteString > 0)
    wide = platform::ToUtf16(std::string_view(MultiByteString, BytesInMultiByteString), CP_ACP);
  const size_t chars = std::min<size_t>(wide.size(), MaxBytesInUnicodeString / sizeof(WCHAR));
  if (UnicodeString != nullptr) std::memcpy(UnicodeString, wide.data(), chars * sizeof(WCHAR));
  if (BytesInUnicodeString != nullptr) *BytesInUnicodeString = static_cast<ULONG>(chars * sizeof(WCHAR));
}

ZEL_EXTERN_C void EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                         PULONG BytesInMultiByteString, PWSTR UnicodeString,
                                         ULONG BytesInUnicodeString) {
  std::string ansi;
  if (UnicodeString != nullptr)
    ansi = AnsiCut(std::u16string_view(UnicodeString, BytesInUnicodeString / sizeof(WCHAR)),
                   MultiByteString != nullptr ? MaxBytesInMultiByteString : 0);
  if (MultiByteString != nullptr) std::memcpy(MultiByteString, ansi.data(), ansi.size());
  if (BytesInMultiByteString != nullptr) *BytesInMultiByteString = static_cast<ULONG>(ansi.size());
}

ZEL_EXTERN_C INT EngWideCharToMultiByte(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                        LPSTR MultiByteString, INT BytesInMultiByteString) {
  if (WideCharString == nullptr || BytesInWideCharString < 0 || BytesInMultiByteString < 0) return -1;
  return WideCharToMultiByte(CodePage, 0, WideCharString, BytesInWideCharString / static_cast<INT>(sizeof(WCHAR)),
                             MultiByteString, BytesInMultiByteString, nullptr, nullptr);
}

ZEL_EXTERN_C PVOID EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize) {
  auto found = platform::FindModuleResource(h, MAKEINTRESOURCEA(iName), MAKEINTRESOURCEA(iType));
  if (!found) {
    if (pulSize != nullptr) *pulSize = 0;
    return nullptr;
  }
  if (pulSize != nullptr) *pulSize = static_cast<ULONG>(found->size());
  return const_cast<unsigned char*>(found->data());
}

// Codes nFirstChar .. nFirstChar + cChars - 1 of the code page as single bytes,
// each mapped to its character; the handle of a code is the code itself. Codes
// with no character of their own (DBCS lead bytes, unassigned codes) are left
// out. One EngAllocMem block, freed with EngFreeMem.
ZEL_EXTERN_C FD_GLYPHSET* EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars) {
  if (cChars <= 0 || nFirstChar < 0 || nFirstChar + cChars > 256) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const UINT codePage = nCodePage == 0 ? GetACP() : static_cast<UINT>(nCodePage);
  std::vector<std::pair<WCHAR, HGLYPH>> map;
  for (INT code = nFirstChar; code < nFirstChar + cChars; ++code) {
    const char byte = static_cast<char>(code);
    if (codePage != CP_UTF8 && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(code))) continue;
    if (codePage == CP_UTF8 && code >= 0x80) continue;
    WCHAR wc = 0;
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, &wc, 1) != 1) continue;
    map.emplace_back(wc, static_cast<HGLYPH>(code));
  }
  std::stable_sort(map.begin(), map.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  map.erase(std::unique(map.begin(), map.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
            map.end());
  std::vector<std::pair<size_t, size_t>> runs;  // first index, count
  for (size_t i = 0; i < map.size(); ++i) {
    if (!runs.empty() && map[i].first == map[i - 1].first + 1)
      ++runs.back().second;
    else
      runs.emplace_back(i, 1);
  }
  const size_t header = offsetof(FD_GLYPHSET, awcrun) + std::max<size_t>(runs.size(), 1) * sizeof(WCRUN);
  const size_t size = header + map.size() * sizeof(HGLYPH);
  auto* set = static_cast<FD_GLYPHSET*>(EngAllocMem(FL_ZERO_MEMORY, static_cast<ULONG>(size), 0));
  if (set == nullptr) return nullptr;
  auto* handles = reinterpret_cast<HGLYPH*>(reinterpret_cast<unsigned char*>(set) + header);
  set->cjThis = static_cast<ULONG>(size);
  set->flAccel = GS_8BIT_HANDLES;
  set->cGlyphsSupported = static_cast<ULONG>(map.size());
  set->cRuns = static_cast<ULONG>(runs.size());
  WCRUN* runsOut = set->awcrun;
  for (size_t r = 0; r < runs.size(); ++r) {
    WCRUN& run = *(runsOut + r);
    run.wcLow = map[runs[r].first].first;
    run.cGlyphs = static_cast<USHORT>(runs[r].second);
    run.phg = handles + runs[r].first;
    for (size_t k = 0; k < runs[r].second; ++k) run.phg[k] = map[runs[r].first + k].second;
  }
  return set;
}
