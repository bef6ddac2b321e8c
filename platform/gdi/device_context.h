// A printer device context: the printer it was made for, its own spooler handle
// (the hDriver of its PDEV, on which the driver writes the job), the enabled PDEV
// and surface, the document state, and the user-interface library whose
// document events it raises.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/base/handles.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/drawing.h"
#include "platform/gdi/engine.h"
#include "platform/gdi/graphics_driver.h"

namespace platform::gdi {

// One enabled PDEV with its surface and what it reported.
struct Pdev {
  HDEV hdev = 0;
  DHPDEV dhpdev = nullptr;
  HSURF hsurf = 0;
  GDIINFO gdiInfo{};
  DEVINFO devInfo{};
};

// A pen or brush as selected into a DC (the DC keeps the values, so deleting the
// object's handle later leaves the DC's copy alone).
struct PenData {
  int style = PS_SOLID;
  LONG width = 0;  // logical units; 0 draws one device pixel wide
  COLORREF color = 0;
  // ExtCreatePen's pens: the type, joins and caps they were made with (CreatePen's
  // pens are geometric with round joins and caps once wider than a pixel).
  bool extended = false;
  bool geometric = false;
  DWORD join = PS_JOIN_ROUND;
  DWORD endCap = PS_ENDCAP_ROUND;
  UINT brushStyle = BS_SOLID;  // BS_SOLID or BS_HATCHED (geometric pens)
  ULONG hatch = 0;
  std::vector<DWORD> userStyle;  // PS_USERSTYLE: dash, gap, ... (logical units or style units)
};
struct BrushData {
  UINT style = BS_SOLID;
  COLORREF color = 0xFFFFFF;
  ULONG hatch = 0;
};

// What the application set on the DC for drawing.
struct DrawingState {
  PenData pen;
  HGDIOBJ penHandle = 0;  // 0: the stock black pen
  BrushData brush;
  HGDIOBJ brushHandle = 0;  // 0: the stock white brush
  int mapMode = MM_TEXT;
  // Page space to device space: the window origin maps onto the viewport
  // origin. The extents are kept for the application to read back; the fixed
  // map modes this stand-in offers do not use them.
  POINT windowOrg{0, 0};
  POINT viewportOrg{0, 0};
  SIZE windowExt{1, 1};
  SIZE viewportExt{1, 1};
  int graphicsMode = GM_COMPATIBLE;
  int fillMode = ALTERNATE;
  XFORM world{1, 0, 0, 1, 0, 0};
  FLOAT miterLimit = 10.0f;  // SetMiterLimit
  bool clipped = false;
  std::vector<RECTL> clip;  // device pixels, when clipped
  POINT current{0, 0};      // logical
  LOGFONTW font{};          // lfFaceName empty: the default font
  HGDIOBJ fontHandle = 0;
  COLORREF textColor = 0;
  UINT textAlign = TA_TOP;
  int bkMode = OPAQUE;  // text cells filled with bkColor, as GDI starts a DC
  COLORREF bkColor = 0xFFFFFF;
  bool recordingPath = false;
  bool figureOpen = false;     // in the recorded path: LineTo continues a figure
  std::unique_ptr<Path> path;  // device 28.4, from BeginPath
};

class DeviceContext final : public KernelObject {
 public:
  ~DeviceContext() override;

  std::shared_ptr<GraphicsDriver> driver;
  std::u16string printerName;
  HANDLE printer = 0;  // the DC's own spooler handle
  HMODULE interfaceModule = 0;
  PFN_DrvDocumentEvent documentEvent = nullptr;
  HDC handle = 0;
  std::vector<BYTE> devMode;  // the device mode the PDEV was enabled with
  Pdev pdev;
  bool inDocument = false;
  bool inPage = false;
  int nestedPages = 0;  // pages the library opened inside an event while the application's was open
  DWORD jobId = 0;
  DrawingState drawing;

  SURFOBJ* Surface() const;

  // Raises a document event when the library has DrvDocumentEvent and the DC is
  // not already inside one of its events (its own calls from an event raise
  // none). DOCUMENTEVENT_SUCCESS when nothing was called.
  int RaiseEvent(int event, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);
  bool InsideEvent() const { return eventDepth_ > 0; }

 private:
  int eventDepth_ = 0;
};

std::shared_ptr<DeviceContext> FindDC(HDC hdc);

// Enables a PDEV and its surface for `devMode` (may be empty): DrvEnablePDEV,
// DrvCompletePDEV, DrvEnableSurface. False with the last error set, nothing left
// enabled.
bool EnablePdev(DeviceContext& dc, std::vector<BYTE>& devMode, Pdev* out);
// DrvDisableSurface, DrvDisablePDEV and the engine's device record.
void DisablePdev(const DeviceContext& dc, Pdev& pdev);
// Ends an unfinished document as AbortDoc does, so a half-drawn job is never
// delivered.
void AbandonDocument(DeviceContext& dc);

}  // namespace platform::gdi
