// The engine services a graphics driver calls, with the user-mode signatures.
#pragma once

#include "platform/gdi/driver_functions.h"

#define FL_ZERO_MEMORY 0x00000001

// Surfaces and palettes.
ZEL_EXTERN_C HSURF EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat);
ZEL_EXTERN_C HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
ZEL_EXTERN_C BOOL EngDeleteSurface(HSURF hsurf);
ZEL_EXTERN_C BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
ZEL_EXTERN_C SURFOBJ* EngLockSurface(HSURF hsurf);
ZEL_EXTERN_C void EngUnlockSurface(SURFOBJ* pso);
ZEL_EXTERN_C HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                                       FLONG flBlue);
ZEL_EXTERN_C BOOL EngDeletePalette(HPALETTE hpal);
ZEL_EXTERN_C BOOL EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor);

// Raster operations the driver hands back.
ZEL_EXTERN_C BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                            RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
                            ROP4 rop4);
ZEL_EXTERN_C BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                                POINTL* pptlMask, ULONG iMode);
ZEL_EXTERN_C BOOL EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                              POINTL* pptlSrc);

// Paths and clipping.
ZEL_EXTERN_C void PATHOBJ_vEnumStart(PATHOBJ* ppo);
ZEL_EXTERN_C BOOL PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd);
ZEL_EXTERN_C void PATHOBJ_vGetBounds(PATHOBJ* ppo, RECTFX* prectfx);
ZEL_EXTERN_C void EngDeletePath(PATHOBJ* ppo);
ZEL_EXTERN_C ULONG CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection, ULONG cLimit);
ZEL_EXTERN_C BOOL CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul);
ZEL_EXTERN_C PATHOBJ* CLIPOBJ_ppoGetPath(CLIPOBJ* pco);

// Brushes, colour translation, transforms.
ZEL_EXTERN_C PVOID BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj);
ZEL_EXTERN_C PVOID BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo);
ZEL_EXTERN_C ULONG XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor);
ZEL_EXTERN_C ULONG* XLATEOBJ_piVector(XLATEOBJ* pxlo);
ZEL_EXTERN_C ULONG XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform);
ZEL_EXTERN_C ULONG XFORMOBJ_iGetFloatObjXform(XFORMOBJ* pxo, FLOATOBJ_XFORM* pfxo);
ZEL_EXTERN_C BOOL XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut);

// Text.
ZEL_EXTERN_C void STROBJ_vEnumStart(STROBJ* pstro);
ZEL_EXTERN_C BOOL STROBJ_bEnum(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos);
ZEL_EXTERN_C DWORD STROBJ_dwGetCodePage(STROBJ* pstro);
ZEL_EXTERN_C ULONG FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph);
ZEL_EXTERN_C ULONG FONTOBJ_cGetAllGlyphHandles(FONTOBJ* pfo, HGLYPH* phg);
ZEL_EXTERN_C IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo);
ZEL_EXTERN_C XFORMOBJ* FONTOBJ_pxoGetXform(FONTOBJ* pfo);
ZEL_EXTERN_C void FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi);
ZEL_EXTERN_C FD_GLYPHSET* EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars);

// Resources, code pages, memory, semaphores.
ZEL_EXTERN_C PVOID EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize);
ZEL_EXTERN_C void EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                                         PULONG BytesInUnicodeString, PCHAR MultiByteString,
                                         ULONG BytesInMultiByteString);
ZEL_EXTERN_C void EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                         PULONG BytesInMultiByteString, PWSTR UnicodeString,
                                         ULONG BytesInUnicodeString);
ZEL_EXTERN_C INT EngWideCharToMultiByte(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                        LPSTR MultiByteString, INT BytesInMultiByteString);
ZEL_EXTERN_C void EngGetCurrentCodePage(PUSHORT OemCodePage, PUSHORT AnsiCodePage);
ZEL_EXTERN_C PVOID EngAllocMem(ULONG Flags, ULONG MemSize, ULONG Tag);
ZEL_EXTERN_C void EngFreeMem(PVOID Mem);
ZEL_EXTERN_C HSEMAPHORE EngCreateSemaphore(void);
ZEL_EXTERN_C void EngAcquireSemaphore(HSEMAPHORE hsem);
ZEL_EXTERN_C void EngReleaseSemaphore(HSEMAPHORE hsem);
ZEL_EXTERN_C void EngDeleteSemaphore(HSEMAPHORE hsem);
