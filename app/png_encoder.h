#pragma once
// Pictures as PNG files, for the class report's thumbnails.

#include <string>

#include "engine/picture.h"

namespace kurovel {

// The picture as the bytes of an 8-bit RGB PNG file. Drawings are mostly white,
// so the fastest compression already makes them small. Throws std::bad_alloc or,
// when libpng fails, std::runtime_error.
std::string EncodePng(const Picture& picture);

}  // namespace kurovel
