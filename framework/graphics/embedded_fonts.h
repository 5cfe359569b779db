#pragma once
// Liberation Sans (regular and bold), metric-compatible with Arial, built
// into the module so that text looks the same on every machine that lacks
// Arial. The bytes are read-only TrueType files that live as long as the module.
#include <cstddef>

namespace iplug::igraphics {

struct EmbeddedFont {
  const unsigned char* data;
  std::size_t size;
};

EmbeddedFont EmbeddedSans(bool bold);

} // namespace iplug::igraphics
