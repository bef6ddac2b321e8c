// The first thing every DDI function does: find its PDEV and make sure it is
// one of this library's. A failed check has set ERROR_INVALID_PARAMETER.
#pragma once

#include "graphics/core/pdev.h"
#include "platform/base/errors.h"
#include "platform/gdi/engine_objects.h"

inline PDEV* CheckedPdev(DHPDEV dhpdev) {
  PDEV* pdev = reinterpret_cast<PDEV*>(dhpdev);
  if (IsValidPdev(pdev)) return pdev;
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

inline PDEV* CheckedPdev(const SURFOBJ* pso) { return CheckedPdev(pso ? pso->dhpdev : nullptr); }
