#pragma once
// A bitmap file read for the picture dialogs' preview: never blocks on a pipe or
// device, accepts exactly the files LoadBitmapFile accepts, and decodes the pixels
// only within the preview budget (kMaxPreviewPixels, kMaxPreviewFileBytes).

#include <cstdint>
#include <optional>
#include <string>

#include "engine/picture.h"

namespace kurovel {

struct BitmapPreview {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::optional<Picture> picture;  // nullopt: over the preview budget, size only
};

// nullopt for anything but a regular file, a file that cannot be read, and a file
// that is no valid bitmap or is shorter than its headers promise.
std::optional<BitmapPreview> ReadBitmapPreview(const std::string& path_utf8);

}  // namespace kurovel
