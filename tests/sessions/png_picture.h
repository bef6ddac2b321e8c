// A PNG picture read back as RGB, and how much ink a region of it holds: the
// pixels far from the region's own most common colour (its background), which
// is where text and lines are drawn.
#pragma once

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace sessions {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows top down, 3 bytes a pixel

  uint32_t At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return (uint32_t{rgb[i]} << 16) | (uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
  }

  // Pixels of [left, right) x [top, bottom) that differ from the region's
  // background by more than a faint tint.
  int Ink(int left, int top, int right, int bottom) const {
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, width), bottom = std::min(bottom, height);
    std::map<uint32_t, int> counts;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) ++counts[At(x, y)];
    }
    if (counts.empty()) return 0;
    const uint32_t background =
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    auto channel = [](uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    int ink = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        const uint32_t c = At(x, y);
        int distance = 0;
        for (int shift : {0, 8, 16})
          distance = std::max(distance, std::abs(channel(c, shift) - channel(background, shift)));
        if (distance > 96) ++ink;
      }
    }
    return ink;
  }
};

// False when the file is no PNG that can be read.
inline bool ReadPicture(const std::string& path, Picture* picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  picture->width = static_cast<int>(image.width);
  picture->height = static_cast<int>(image.height);
  picture->rgb.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace sessions
