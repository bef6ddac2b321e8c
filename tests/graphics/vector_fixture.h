// Ground for the vector writer's tests: bare device contexts in a chosen
// printer language whose output is read straight from their buffer, and
// brushes realised the way DrvRealizeBrush realises them.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/ddi/realized_brush.h"
#include "graphics/stream/output.h"
#include "platform/gdi/engine_objects.h"
#include "tests/graphics/printer_fixture.h"

namespace graphicstest {

// A zeroed PDEV with its output buffer, the language and resolution given.
inline PdevPtr BarePdev(WORD pdl, WORD dpi = 600) {
  PdevPtr pdev(AllocPdev());
  if (!pdev || AllocOutputBuffer(pdev.get()) != 1) return nullptr;
  pdev->devmode.dmPrivate._nPDL = pdl;
  pdev->devmode.dmPublic.dmPrintQuality = static_cast<SHORT>(dpi);
  pdev->resolution = dpi;
  pdev->job.pathKind = 1;
  return pdev;
}

// What `write` puts into the PDEV's buffer (the buffer is emptied first).
inline std::string Captured(PDEV* pdev, const std::function<void()>& write) {
  pdev->output.fill = 0;
  write();
  std::string bytes(reinterpret_cast<const char*>(pdev->output.buffer), pdev->output.fill);
  pdev->output.fill = 0;
  return bytes;
}

// Bytes given by value (binary PCL data with zeros).
inline std::string Raw(std::initializer_list<int> bytes) {
  std::string out;
  for (int byte : bytes) out += static_cast<char>(byte);
  return out;
}

// A brush: solid (iSolidColor) or with a realisation block laid out as
// DrvRealizeBrush lays it out.
class TestBrush {
 public:
  static TestBrush Solid(DWORD rgb) {
    TestBrush brush;
    brush.object_.iSolidColor = rgb;
    return brush;
  }
  static TestBrush Realized(DWORD kind, DWORD foreground, DWORD background, DWORD width = 0, DWORD height = 0,
                            std::vector<BYTE> bits = {}, DWORD hatchStyle = 0) {
    TestBrush brush;
    brush.object_.iSolidColor = SOLID_COLOR_NONE;
    const size_t patternBytes = kind == kBrushKindHatch ? kHatchPatternBytes : std::max<size_t>(bits.size(), 2);
    brush.block_.assign(RealizedBrushAllocationBytes(patternBytes), 0);
    auto* realized = reinterpret_cast<RealizedBrush*>(brush.block_.data());
    realized->kind = kind;
    realized->foreground = foreground;
    realized->hatchStyle = hatchStyle;
    realized->background = background;
    realized->width = kind == kBrushKindHatch ? kHatchPatternWidth : width;
    realized->height = kind == kBrushKindHatch ? kHatchPatternHeight : height;
    if (!bits.empty()) std::memcpy(realized->bits, bits.data(), bits.size());
    return brush;
  }
  static TestBrush Hatch(DWORD style, DWORD foreground = 0, DWORD background = 0x00FFFFFF) {
    return Realized(kBrushKindHatch, foreground, background, 0, 0, {}, style);
  }
  // A brush whose realisation the engine refused.
  static TestBrush Unrealized() {
    TestBrush brush;
    brush.object_.iSolidColor = SOLID_COLOR_NONE;
    return brush;
  }

  BRUSHOBJ* get() {
    object_.pvRbrush = block_.empty() ? nullptr : block_.data();
    return &object_;
  }
  RealizedBrush* realized() { return reinterpret_cast<RealizedBrush*>(block_.data()); }

 private:
  TestBrush() = default;
  BRUSHOBJ object_{0, nullptr, 0};
  std::vector<BYTE> block_;
};

}  // namespace graphicstest
