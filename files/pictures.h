#pragma once
// The picture handlers of the main window without their dialogs: the clear-screen
// button (also run by every repaint), loading a background and saving the drawing.
// The main window runs the dialogs and passes the chosen file names in.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/drawing_surface.h"
#include "engine/picture.h"
#include "engine/turtle.h"

namespace kurovel {

// What the picture handlers remember between events.
struct PictureState {
  // The remembered background, UTF-8; empty means none. The open-picture dialog
  // sets it, the new-program command empties it.
  std::string background_file_name;
  // Set once the save-picture dialog has been confirmed: from then on it offers
  // kSavePictureFilterLater.
  bool picture_saved_before = false;

  // The background as last decoded, reused while its file keeps its size and
  // modification time: every repaint lays the background, and decoding a large
  // picture each time would freeze the window. Shared with the laying, never
  // copied: a picture costs its 4 bytes a pixel once.
  struct DecodedBackground {
    std::string file_name;
    std::int64_t size = 0;
    std::int64_t modified_ns = 0;
    std::shared_ptr<const Picture> picture;
  };
  std::optional<DecodedBackground> decoded_background{};
};

// Filters of the two picture dialogs, in the toolkit's "text|patterns|..." form.
inline constexpr std::string_view kOpenPictureFilter = "ビットマップ (*.bmp)|*.bmp";
inline constexpr std::string_view kSavePictureFilterFirst =
    "すべてのファイル (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|ビットマップ (*.bmp)|*.bmp|"
    "アイコン (*.ico)|*.ico|エンハンス メタファイル (*.emf)|*.emf|メタファイル (*.wmf)|*.wmf";
inline constexpr std::string_view kSavePictureFilterLater = "DIB(*.BMP)|*.bmp|All(*.*)|*.*";
inline constexpr std::string_view kSavePictureDefaultExtension = "bmp";
std::string_view SavePictureFilter(const PictureState& state);

// Shown instead of the save dialog when the drawing area has no columns to save.
inline constexpr std::string_view kSurfaceTooNarrow = "描画領域の幅が 10 ピクセル以下のため、保存する画像がありません";

// Where a picture of width w lands on a surface of width W (and likewise for the
// height): (W - w) / 2 rounded to the nearest integer, ties to the even one.
std::int32_t CentredOffset(std::int32_t surface_side, std::int32_t picture_side);

// Lays a picture centred over the surface: its top-left surface-sized block, white
// where the picture ends, lands centred, and the part of it on the surface is
// shown. The arrow is not touched, and the picture is not copied.
void LayBackgroundPicture(DrawingSurface& surface, const Picture& picture);
// Loads the file and lays it (throws KurovelError as LoadBitmapFile).
void DrawBackgroundPicture(DrawingSurface& surface, const std::string& file_name);

// The remembered background, if any, laid over the surface with the arrow on top.
// A background that cannot be read is forgotten before its error propagates, so
// the repaint that follows the error box does not report it again.
void LayRememberedBackground(Turtle& turtle, PictureState& state);

// Clear screen: the turtle's ClearScreen, then LayRememberedBackground. After an
// error the surface is white with the arrow at the centre.
void ClearWithBackground(Turtle& turtle, PictureState& state);

// Load background, once the dialog has confirmed chosen_file: it becomes the
// remembered background and is laid over the current drawing at once; the turtle
// keeps its place. On an error the surface is unchanged but the name stays
// remembered, so the next clear screen tries it once more.
void UseBackground(Turtle& turtle, PictureState& state, const std::string& chosen_file);

// Save the drawing, first half, before the dialog opens: the surface's top-left
// (W - 10) x H pixels, arrow included. Throws KurovelError(kSurfaceTooNarrow) when
// W <= 10 and KurovelError(kNothingToSave) when H < 1.
Picture TakeDrawingSnapshot(const DrawingSurface& surface);
// Second half, once the dialog has confirmed chosen_file: switches the dialog's
// filter and writes the snapshot as a 24-bit BMP whatever the file's extension.
void SaveDrawing(const Picture& snapshot, PictureState& state, const std::string& chosen_file);

}  // namespace kurovel
