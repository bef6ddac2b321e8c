// The pictures of a model module, drawn here: the printer as the property pages
// show it (with or without its finisher) and the maker's logo. Each is a 24-bit
// .bmp file image.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/modelres/description.h"

namespace modelres {

std::vector<uint8_t> DrawPicture(Picture picture);

}  // namespace modelres
