// Texture handling of the batching back end, ported from NanoVG's
// nanovg_gl.h GL2 path (zlib licence, Copyright (c) 2009-2013 Mikko Mononen).
#include "framework/graphics/gl_batch_textures.h"

#include <algorithm>

#include "nanovg.h"

namespace iplug::igraphics::glbatch {
namespace {

// Unpack state for reading the rectangle (x, y) of an image `rowLength` wide.
void setUnpack(int rowLength, int x, int y) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, x);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, y);
}

void resetUnpack() {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
}

// GL's external format of NanoVG's texture types; alpha images are luminance in GL 2.
GLenum externalFormat(int type) {
  switch (type) {
    case NVG_TEXTURE_BGR: return GL_BGR;
    case NVG_TEXTURE_BGRA: return GL_BGRA;
    case NVG_TEXTURE_RGB: return GL_RGB;
    case NVG_TEXTURE_RGBA: return GL_RGBA;
    default: return GL_LUMINANCE;
  }
}

GLint internalFormat(int type) {
  switch (type) {
    case NVG_TEXTURE_BGR: return GL_RGB;
    case NVG_TEXTURE_BGRA:
    case NVG_TEXTURE_RGB:
    case NVG_TEXTURE_RGBA: return GL_RGBA;
    default: return GL_LUMINANCE;
  }
}

} // namespace

int TextureTable::Create(int type, int w, int h, int imageFlags, const unsigned char* data) {
  auto slot = std::find_if(mTextures.begin(), mTextures.end(), [](const Texture& t) { return t.id == 0; });
  if (slot == mTextures.end()) slot = mTextures.insert(mTextures.end(), Texture());
  Texture& tex = *slot;
  tex = Texture();
  tex.id = ++mNextId;
  tex.width = w;
  tex.height = h;
  tex.type = type;
  tex.flags = imageFlags;
  glGenTextures(1, &tex.tex);
  glBindTexture(GL_TEXTURE_2D, tex.tex);
  setUnpack(w, 0, 0);
  // GL 1.4 and later generate mipmaps through a texture parameter.
  if (imageFlags & NVG_IMAGE_GENERATE_MIPMAPS) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
  glTexImage2D(GL_TEXTURE_2D, 0, internalFormat(type), w, h, 0, externalFormat(type), GL_UNSIGNED_BYTE, data);
  const bool nearest = (imageFlags & NVG_IMAGE_NEAREST) != 0;
  GLint minFilter = nearest ? GL_NEAREST : GL_LINEAR;
  if (imageFlags & NVG_IMAGE_GENERATE_MIPMAPS) minFilter = nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, (imageFlags & NVG_IMAGE_REPEATX) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, (imageFlags & NVG_IMAGE_REPEATY) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  resetUnpack();
  glBindTexture(GL_TEXTURE_2D, 0);
  return tex.id;
}

bool TextureTable::Update(int id, int x, int y, int w, int h, const unsigned char* data) {
  const Texture* tex = Find(id);
  if (!tex) return false;
  glBindTexture(GL_TEXTURE_2D, tex->tex);
  setUnpack(tex->width, x, y);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, externalFormat(tex->type), GL_UNSIGNED_BYTE, data);
  resetUnpack();
  glBindTexture(GL_TEXTURE_2D, 0);
  return true;
}

bool TextureTable::Delete(int id) {
  for (Texture& tex : mTextures) {
    if (tex.id != id || id == 0) continue;
    if (tex.tex) glDeleteTextures(1, &tex.tex);
    tex = Texture();
    return true;
  }
  return false;
}

const Texture* TextureTable::Find(int id) const {
  if (id == 0) return nullptr;
  for (const Texture& tex : mTextures)
    if (tex.id == id) return &tex;
  return nullptr;
}

float TextureTable::ShaderType(const Texture& texture) {
  if (texture.type == NVG_TEXTURE_ALPHA) return kTexAlpha;
  return (texture.flags & NVG_IMAGE_PREMULTIPLIED) ? kTexPremultiplied : kTexStraight;
}

void TextureTable::Clear() {
  for (Texture& tex : mTextures)
    if (tex.tex) glDeleteTextures(1, &tex.tex);
  mTextures.clear();
}

} // namespace iplug::igraphics::glbatch
