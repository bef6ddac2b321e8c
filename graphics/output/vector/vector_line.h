// Line attributes of the vector writer: dashes, pen colour, width, caps and
// joins.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// Writes width, dashes, caps, joins and the pen colour rgb of a line, in
// PostScript or HP-GL/2 after the job's language. xform (optional) scales a
// geometric line. FALSE without a PDEV or line attributes.
BOOL SetLineAttributes(PDEV* pdev, LINEATTRS* line, XFORMOBJ* xform, BOOL remember, DWORD rgb);
