// The device surface: managed by the library (the engine keeps no bits for it),
// 24 bits per pixel, with every drawing call the library serves hooked so that
// the engine hands them over.
#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/pdev_check.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr FLONG kSurfaceHooks = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_STROKEPATH | HOOK_FILLPATH |
                                HOOK_STROKEANDFILLPATH | HOOK_COPYBITS;
static_assert(kSurfaceHooks == 0x4EB);

}  // namespace

HSURF DrvEnableSurface(DHPDEV dhpdev) {
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return 0;
  if (pdev->surface) DrvDisableSurface(dhpdev);
  const SIZEL size{pdev->surfaceWidth, pdev->surfaceHeight};
  HSURF surface = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), size, BMF_24BPP);
  if (!surface) return 0;
  // A surface the engine has not bound to the device would take drawing the
  // library never sees: it is not handed out.
  if (!EngAssociateSurface(surface, pdev->engineDevice, kSurfaceHooks)) {
    EngDeleteSurface(surface);
    return 0;
  }
  pdev->surface = surface;
  return surface;
}

void DrvDisableSurface(DHPDEV dhpdev) {
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return;
  if (pdev->surface) EngDeleteSurface(pdev->surface);
  pdev->surface = 0;
}
