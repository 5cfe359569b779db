// Image: pixel access and PNG output of an offscreen editor's frame.
#include "framework/graphics/offscreen_editor.h"

#define STB_IMAGE_WRITE_STATIC 1
#define STB_IMAGE_WRITE_IMPLEMENTATION 1
#include <stb/stb_image_write.h>

namespace iplug::igraphics {

uint32_t Image::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  const uint8_t* p = rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

bool Image::SavePng(const char* path, std::string* error) const {
  if (width <= 0 || height <= 0 || rgba.size() != static_cast<std::size_t>(width) * height * 4) {
    if (error) *error = "empty image";
    return false;
  }
  if (!stbi_write_png(path, width, height, 4, rgba.data(), width * 4)) {
    if (error) *error = std::string("cannot write ") + (path ? path : "(null)");
    return false;
  }
  return true;
}

} // namespace iplug::igraphics
