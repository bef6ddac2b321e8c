// The rows the engine binds the library's functions by. The order is the
// library's own; the engine keys the rows by their index.
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/driver_library.h"

namespace {

template <class F>
PFN Row(F* function) {
  return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(function));
}

const DRVFN kDriverFunctions[kGraphicsDriverFunctionCount] = {
    {INDEX_DrvEnablePDEV, Row(DrvEnablePDEV)},
    {INDEX_DrvCompletePDEV, Row(DrvCompletePDEV)},
    {INDEX_DrvResetPDEV, Row(DrvResetPDEV)},
    {INDEX_DrvDisablePDEV, Row(DrvDisablePDEV)},
    {INDEX_DrvEnableSurface, Row(DrvEnableSurface)},
    {INDEX_DrvDisableSurface, Row(DrvDisableSurface)},
    {INDEX_DrvCopyBits, Row(DrvCopyBits)},
    {INDEX_DrvTextOut, Row(DrvTextOut)},
    {INDEX_DrvStrokePath, Row(DrvStrokePath)},
    {INDEX_DrvStartDoc, Row(DrvStartDoc)},
    {INDEX_DrvEndDoc, Row(DrvEndDoc)},
    {INDEX_DrvStartPage, Row(DrvStartPage)},
    {INDEX_DrvBitBlt, Row(DrvBitBlt)},
    {INDEX_DrvStretchBlt, Row(DrvStretchBlt)},
    {INDEX_DrvQueryFont, Row(DrvQueryFont)},
    {INDEX_DrvQueryFontTree, Row(DrvQueryFontTree)},
    {INDEX_DrvQueryFontData, Row(DrvQueryFontData)},
    {INDEX_DrvSendPage, Row(DrvSendPage)},
    {INDEX_DrvFillPath, Row(DrvFillPath)},
    {INDEX_DrvStrokeAndFillPath, Row(DrvStrokeAndFillPath)},
    {INDEX_DrvRealizeBrush, Row(DrvRealizeBrush)},
    {INDEX_DrvEscape, Row(DrvEscape)},
    {INDEX_DrvGetGlyphMode, Row(DrvGetGlyphMode)},
    {INDEX_DrvQueryAdvanceWidths, Row(DrvQueryAdvanceWidths)},
    {INDEX_DrvFontManagement, Row(DrvFontManagement)},
    {INDEX_DrvStartBanding, Row(DrvStartBanding)},
    {INDEX_DrvNextBand, Row(DrvNextBand)},
    {INDEX_DrvDitherColor, Row(DrvDitherColor)},
};

}  // namespace

const DRVFN* GraphicsDriverFunctions() { return kDriverFunctions; }
