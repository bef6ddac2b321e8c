// The injection store of a device context: created when the application says it
// drives the job's PostScript itself, filled by POSTSCRIPT_INJECTION, written by
// the job writers at each named place. Unlisted injection ids are ignored by
// every operation.
#pragma once

#include "graphics/inject/inject_data.h"
#include "graphics/inject/psinject_ids.h"
#include "platform/base/types.h"

struct PDEV;

// The store's slot of an injection id: 1-21 -> 0-20, 100-107 -> 21-28,
// 200 -> 29, 201 -> 30; -1 for any other id.
int InjectionPointIndex(DWORD id);

// Gives the PDEV its store: 1 when it has one (already or now), 0 for a null
// PDEV or when memory ran out (the PDEV is then left without a store).
int CreateInjectData(PDEV* pdev);
// Destroys the PDEV's store, if any, and clears its pointer.
void DestroyInjectData(PDEV* pdev);

// Appends a piece of text (any bytes, NULs included) to a point: 0 without a
// store or for an unlisted id, else 1 (a piece that cannot be stored for want of
// memory is dropped).
int AppendInjectionData(PDEV* pdev, DWORD id, const void* data, DWORD length);
// The point's text: -1 without a store or for an unlisted id, 0 when empty; with
// a null buffer the total length, else the pieces copied back to back into the
// buffer (which must hold the total length; no terminator) and the length.
int GetInjectionData(PDEV* pdev, DWORD id, void* buffer);
// Forgets the point's text: 1, or 0 without a store or for an unlisted id.
int ClearInjectionPoint(PDEV* pdev, DWORD id);
// Forgets the text of the page points (100-107, 200, 201) after a page.
void ClearPageInjectionPoints(PDEV* pdev);

// Writes the point's text into the output stream as counted bytes: the length
// written, 0 or -1 as GetInjectionData answers when there is nothing to write,
// and -1 when no buffer could be had ("MEMALLOC" diagnostic, nothing written)
// or the stream refused the bytes.
int EmitInjectedData(PDEV* pdev, DWORD id);
