// The published escapes that answer questions or set a switch: support
// queries, the technology, the procedure set, the PostScript identify,
// injection and feature settings, and the ignore switch; the others are routed
// to their own files.
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/escapes/escapes.h"
#include "graphics/inject/injection_store.h"
#include "graphics/output/job/job_prolog.h"

namespace {

constexpr char kDictionaryName[] = "CalyxonDict";

ULONG Refuse() { return RefuseEscape(); }

template <typename T>
bool Read(ULONG inSize, const void* in, T* value) {
  if (in == nullptr || inSize < sizeof(T)) return false;
  std::memcpy(value, in, sizeof(T));
  return true;
}

template <typename T>
bool Answer(ULONG outSize, void* out, const T& value) {
  if (out == nullptr || outSize < sizeof(T)) return false;
  std::memcpy(out, &value, sizeof(T));
  return true;
}

ULONG QueryEscapeSupport(PDEV* pdev, ULONG inSize, const void* in) {
  DWORD asked = 0;
  if (!Read(inSize, in, &asked)) return Refuse();
  // SETCOPYCOUNT is not served: an application told otherwise would leave the
  // copies to an escape that does nothing and print one copy.
  return IsEscapeSupported(asked, pdev) ? 1 : 0;
}

ULONG GetTechnology(PDEV* pdev, ULONG outSize, void* out) {
  const char* name = IsPostScriptJob(pdev) ? "PostScript" : "PCL5";
  const size_t length = std::strlen(name);
  // The name is followed by a second NUL.
  if (out == nullptr || outSize < length + 2) return Refuse();
  std::memcpy(out, name, length);
  static_cast<char*>(out)[length] = '\0';
  static_cast<char*>(out)[length + 1] = '\0';
  return 1;
}

// The procedure set now, unless the job header already left it open; the
// dictionary's name for the caller.
ULONG DownloadHeader(PDEV* pdev, ULONG outSize, void* out) {
  if (out != nullptr && outSize < sizeof kDictionaryName) return Refuse();
  if (!pdev->job.prologOpen) WritePsProlog(pdev, FALSE);
  if (out != nullptr) std::memcpy(out, kDictionaryName, sizeof kDictionaryName);
  return 1;
}

ULONG PostScriptIgnore(PDEV* pdev, ULONG inSize, const void* in) {
  WORD state = 0;
  if (!Read(inSize, in, &state)) return Refuse();
  pdev->job.applicationIgnoreUsed = 1;
  const ULONG previous = pdev->job.applicationIgnore;
  pdev->job.applicationIgnore = state;
  return previous;
}

ULONG PostScriptIdentify(PDEV* pdev, ULONG inSize, const void* in) {
  DWORD mode = 0;
  if (!Read(inSize, in, &mode)) return Refuse();
  if (mode == 1) {
    pdev->injectionMode = 2;  // PostScript-centric: the application places its own injections
    CreateInjectData(pdev);
  } else if (mode == 0) {
    pdev->injectionMode = 1;
  }
  return 1;
}

ULONG PostScriptInjection(PDEV* pdev, ULONG inSize, const void* in) {
  constexpr ULONG kHeader = kPsInjectHeaderBytes;
  if (in == nullptr || inSize < kHeader) return Refuse();
  DWORD bytes = 0;
  WORD point = 0;
  std::memcpy(&bytes, in, sizeof bytes);
  std::memcpy(&point, static_cast<const BYTE*>(in) + 4, sizeof point);
  // The data must lie within the block the caller handed over.
  if (bytes > inSize - kHeader) return Refuse();
  return static_cast<ULONG>(AppendInjectionData(pdev, point, static_cast<const BYTE*>(in) + kHeader, bytes));
}

ULONG GetPsFeatureSetting(PDEV* pdev, ULONG inSize, const void* in, ULONG outSize, void* out) {
  DWORD feature = 0;
  if (!Read(inSize, in, &feature) || out == nullptr) return Refuse();
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  bool answered = true;
  switch (feature) {
    case 0: answered = Answer(outSize, out, DWORD{extra._nUp != 1 ? 1u : 0u}); break;
    case 1: {
      const DWORD output[2] = {0, 1};  // not page independent; setpagedevice allowed
      answered = Answer(outSize, out, output);
      break;
    }
    case 2: {
      const WORD pdl = extra._nPDL;
      answered = Answer(outSize, out, DWORD{(pdl & 0x100) != 0 ? 3u : (pdl & 0x2) == 0 ? 1u : 2u});
      break;
    }
    case 3: {
      const DWORD custom[5] = {1, 0, 0, 0, 0};
      answered = Answer(outSize, out, custom);
      break;
    }
    case 4: answered = Answer(outSize, out, DWORD{extra._bMirrorImage}); break;
    case 5: answered = Answer(outSize, out, DWORD{extra._bNegativeImage}); break;
    case 6: answered = Answer(outSize, out, DWORD{(extra._dwAdvSettings & kAdvBinaryData) != 0 ? 3u : 0u}); break;
    default: return 0;
  }
  return answered ? 1 : Refuse();
}

}  // namespace

ULONG ServePublishedEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in, ULONG outSize, void* out) {
  switch (escape) {
    case kEscQueryEscSupport: return QueryEscapeSupport(pdev, inSize, in);
    case kEscPassThrough:
    case kEscPostScriptData:
    case kEscPostScriptPassthrough: return ServePassthrough(pdev, inSize, in);
    case kEscGetTechnology: return GetTechnology(pdev, outSize, out);
    case kEscEpsPrinting: return ServeEpsPrinting(pdev, inSize, in);
    case kEscBeginPath:
    case kEscClipToPath:
    case kEscEndPath: return ServePathEscape(pdev, escape, inSize, in);
    case kEscDownloadHeader: return DownloadHeader(pdev, outSize, out);
    case kEscPostScriptIgnore: return PostScriptIgnore(pdev, inSize, in);
    case kEscPostScriptIdentify: return PostScriptIdentify(pdev, inSize, in);
    case kEscPostScriptInjection: return PostScriptInjection(pdev, inSize, in);
    case kEscGetPsFeatureSetting: return GetPsFeatureSetting(pdev, inSize, in, outSize, out);
    default: return 0;
  }
}
