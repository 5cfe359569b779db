#pragma once
// The textures of the batching NanoVG back end: NanoVG's image ids mapped to
// GL textures, created, updated and deleted as NanoVG's stock GL2 back end
// does (the font atlas is an alpha texture updated in place while text is
// laid out; NVG_IMAGE_* flags choose filtering, wrapping and mipmaps).
//
// Thread: the thread whose GL context is current. Owner: the back end's
// context; the table deletes its textures only through Clear().
#include <vector>

#include "framework/graphics/gl_batch_programs.h"

namespace iplug::igraphics::glbatch {

struct Texture {
  int id = 0;            // NanoVG image id, 0 for a free slot
  GLuint tex = 0;
  int width = 0, height = 0;
  int type = 0;          // NVG_TEXTURE_*
  int flags = 0;         // NVG_IMAGE_*
};

class TextureTable {
public:
  // A new texture of w x h pixels from data (may be null); returns its id, 0 on failure.
  int Create(int type, int w, int h, int imageFlags, const unsigned char* data);
  // Replaces the rectangle (x, y, w, h) from data, which holds the whole image.
  bool Update(int id, int x, int y, int w, int h, const unsigned char* data);
  bool Delete(int id);
  const Texture* Find(int id) const;
  // The shaders' texType for a texture (kTex*).
  static float ShaderType(const Texture& texture);
  // Deletes every texture (the GL context must be current).
  void Clear();

private:
  std::vector<Texture> mTextures;
  int mNextId = 0;
};

} // namespace iplug::igraphics::glbatch
