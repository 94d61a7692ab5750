#include "files/pictures.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "language/errors.h"
#include "files/bitmap_file.h"

namespace kurovel {

std::string_view SavePictureFilter(const PictureState& state) {
  return state.picture_saved_before ? kSavePictureFilterLater : kSavePictureFilterFirst;
}

std::int32_t CentredOffset(std::int32_t surface_side, std::int32_t picture_side) {
  const std::int64_t diff = std::int64_t{surface_side} - picture_side;
  // Floor of diff / 2; an odd difference ends in .5 and goes to the even neighbour.
  const std::int64_t floor_half = (diff >= 0 ? diff : diff - 1) / 2;
  if (diff % 2 == 0 || floor_half % 2 == 0) return static_cast<std::int32_t>(floor_half);
  return static_cast<std::int32_t>(floor_half + 1);
}

void LayBackgroundPicture(DrawingSurface& surface, const Picture& picture) {
  const std::int32_t width = surface.Width();
  const std::int32_t height = surface.Height();
  const std::int32_t dx = CentredOffset(width, picture.Width());
  const std::int32_t dy = CentredOffset(height, picture.Height());
  surface.CopyPictureIn(picture, dx, dy, width, height);
  // The block is white beyond the picture's right and bottom edges; it is painted
  // one row at a time, so that no surface-sized copy is ever made.
  const std::int32_t shown_width = std::min(width, picture.Width());
  const std::int32_t shown_height = std::min(height, picture.Height());
  const Picture white_row(width, 1);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::int32_t from = y < shown_height ? shown_width : 0;
    if (from < width) surface.CopyPictureIn(white_row, dx + from, dy + y, width - from, 1);
  }
}

void DrawBackgroundPicture(DrawingSurface& surface, const std::string& file_name) {
  LayBackgroundPicture(surface, LoadBitmapFile(file_name));
}

namespace {

// A regular file's size and modification time; nullopt for anything else (a pipe
// is read anew every time).
std::optional<std::pair<std::int64_t, std::int64_t>> FileStamp(const std::string& file_name) {
  struct stat info {};
  if (::stat(file_name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return std::pair{static_cast<std::int64_t>(info.st_size),
                   static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

// The file's picture: the one decoded before while the file is unchanged, else
// decoded now (and kept for next time when the file is a regular one).
std::shared_ptr<const Picture> BackgroundPicture(PictureState& state, const std::string& file_name) {
  const auto stamp = FileStamp(file_name);
  auto& cached = state.decoded_background;
  if (stamp && cached && cached->file_name == file_name && cached->size == stamp->first &&
      cached->modified_ns == stamp->second) {
    return cached->picture;
  }
  cached.reset();  // the old picture goes before the new one is decoded
  auto picture = std::make_shared<const Picture>(LoadBitmapFile(file_name));
  if (stamp) cached = PictureState::DecodedBackground{file_name, stamp->first, stamp->second, picture};
  return picture;
}

// The picture is read before the arrow comes off, so a failed read leaves the
// arrow where it was. The arrow is taken off before the picture is laid and drawn
// after: where the picture covers it this equals drawing it once on the picture,
// and where it does not, the arrow stays intact instead of being toggled away.
void LayUnderArrow(Turtle& turtle, PictureState& state, const std::string& file_name) {
  const std::shared_ptr<const Picture> picture = BackgroundPicture(state, file_name);
  turtle.DrawArrow();
  LayBackgroundPicture(turtle.Surface(), *picture);
  turtle.DrawArrow();
}

}  // namespace

void ClearWithBackground(Turtle& turtle, PictureState& state) {
  turtle.ClearScreen();
  LayRememberedBackground(turtle, state);
}

void LayRememberedBackground(Turtle& turtle, PictureState& state) {
  if (state.background_file_name.empty()) return;
  try {
    LayUnderArrow(turtle, state, state.background_file_name);
  } catch (const KurovelError&) {
    state.background_file_name.clear();
    throw;
  }
}

void UseBackground(Turtle& turtle, PictureState& state, const std::string& chosen_file) {
  state.background_file_name = chosen_file;
  LayUnderArrow(turtle, state, chosen_file);
}

Picture TakeDrawingSnapshot(const DrawingSurface& surface) {
  const std::int32_t width = surface.Width();
  const std::int32_t height = surface.Height();
  if (width <= 10) throw KurovelError(std::string(kSurfaceTooNarrow));
  if (height < 1) throw KurovelError(std::string(kNothingToSave));
  Picture snapshot(width - 10, height);
  surface.CopyPictureOut(snapshot, width, height);
  return snapshot;
}

void SaveDrawing(const Picture& snapshot, PictureState& state, const std::string& chosen_file) {
  state.picture_saved_before = true;
  SaveBitmapFile(snapshot, chosen_file);
}

}  // namespace kurovel
