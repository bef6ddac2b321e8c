// The face name of a font GDI describes (its IFIMETRICS), in the ANSI code
// page, as the soft-font downloads name and comment the fonts they make.
#pragma once

#include <string>

#include "platform/gdi/ddi_types.h"

// Empty when the block has no face name within its size.
std::string FaceNameAnsi(const IFIMETRICS* ifi);
