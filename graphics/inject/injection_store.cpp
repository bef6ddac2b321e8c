#include "graphics/inject/injection_store.h"

#include <algorithm>

#include "graphics/core/pdev.h"
#include "graphics/stream/output.h"
#include "graphics/util/diagnostic.h"
#include "graphics/util/graphics_heap.h"

namespace {

// The output stream takes injected text in pieces no longer than a line buffer's
// text.
constexpr int kEmitPieceBytes = 1023;

CStrCash* PointOf(const PDEV* pdev, DWORD id) {
  if (pdev == nullptr || pdev->injection == nullptr) return nullptr;
  return pdev->injection->Point(InjectionPointIndex(id));
}

}  // namespace

int InjectionPointIndex(DWORD id) {
  if (id >= PSINJECT_BEGINSTREAM && id <= PSINJECT_DOCUMENTPROCESSCOLORSATEND) return static_cast<int>(id) - 1;
  if (id >= PSINJECT_PAGENUMBER && id <= PSINJECT_ENDPAGECOMMENTS)
    return static_cast<int>(id - PSINJECT_PAGENUMBER) + 21;
  if (id == PSINJECT_VMSAVE) return 29;
  if (id == PSINJECT_VMRESTORE) return 30;
  return -1;
}

int CreateInjectData(PDEV* pdev) {
  if (pdev == nullptr) return 0;
  if (pdev->injection != nullptr) return 1;
  auto* store = new (std::nothrow) CInjectData();
  if (store == nullptr) return 0;
  if (!store->InitialisePoints()) {
    // A half-made store would drop text silently for the points it lacks; with
    // none, a later identification can try again.
    delete store;
    return 0;
  }
  pdev->injection = store;
  return 1;
}

void DestroyInjectData(PDEV* pdev) {
  if (pdev == nullptr || pdev->injection == nullptr) return;
  delete pdev->injection;
  pdev->injection = nullptr;
}

int AppendInjectionData(PDEV* pdev, DWORD id, const void* data, DWORD length) {
  if (pdev == nullptr || pdev->injection == nullptr || InjectionPointIndex(id) < 0) return 0;
  if (CStrCash* point = PointOf(pdev, id)) point->Append(data, length);
  return 1;
}

int GetInjectionData(PDEV* pdev, DWORD id, void* buffer) {
  const CStrCash* point = PointOf(pdev, id);
  if (point == nullptr) return -1;
  if (point->LastIndex() < 0) return 0;
  if (buffer != nullptr) point->CopyTo(buffer);
  return static_cast<int>(point->TotalLength());
}

int ClearInjectionPoint(PDEV* pdev, DWORD id) {
  CStrCash* point = PointOf(pdev, id);
  if (point == nullptr) return 0;
  point->Clear();
  return 1;
}

void ClearPageInjectionPoints(PDEV* pdev) {
  for (DWORD id = PSINJECT_PAGENUMBER; id <= PSINJECT_ENDPAGECOMMENTS; ++id) ClearInjectionPoint(pdev, id);
  ClearInjectionPoint(pdev, PSINJECT_VMSAVE);
  ClearInjectionPoint(pdev, PSINJECT_VMRESTORE);
}

int EmitInjectedData(PDEV* pdev, DWORD id) {
  const int total = GetInjectionData(pdev, id, nullptr);
  if (total < 1) return total;
  auto* text = static_cast<BYTE*>(GraphicsHeapAlloc(static_cast<size_t>(total)));
  if (text == nullptr) {
    ReportDiagnostic("MEMALLOC");
    return -1;
  }
  GetInjectionData(pdev, id, text);
  // Counted pieces, not terminated text: binary data with NUL bytes goes out whole.
  int result = total;
  for (int offset = 0; offset < total;) {
    const int piece = std::min(kEmitPieceBytes, total - offset);
    if (WriteOut(pdev, kWriteBytes, piece, text + offset) != piece) {
      result = -1;
      break;
    }
    offset += piece;
  }
  GraphicsHeapFree(text);
  return result;
}
