#pragma once
// Windows bitmap (BMP) files: the background pictures read under the drawing and
// the drawings written out as pictures.

#include <string>
#include <string_view>

#include "engine/picture.h"
#include "engine/raster_surface.h"
#include "files/bitmap_decode.h"

namespace kurovel {

// Reads a BMP file (uncompressed 1, 4, 8, 16, 24 or 32 bits per pixel, bottom-up or
// top-down, and the run-length encoded variants) from its start, so a pipe or FIFO
// reads like a file; bytes after what the headers promise are not read. Throws
// KurovelError with "ファイル %s は開けません" when the file cannot be opened or read,
// and with "ビットマップイメージが不正です" when it is no valid bitmap: a bad header, a
// side over kMaxPictureSide, more than kMaxBitmapPixels pixels, pixel data over the
// headers, or a file shorter than its header says.
Picture LoadBitmapFile(const std::string& path_utf8);

// The same checks and decoding for the bytes of a file already in memory.
Picture DecodeBitmap(std::string_view bytes);

// The bytes of an uncompressed 24-bit bottom-up BMP with the 40-byte information
// header and 3780 pixels per metre both ways, so that equal pictures give equal files.
std::string EncodeBitmap(const Picture& picture);
// The same for the whole surface, arrow included, without a copy of its pixels.
std::string EncodeBitmap(const RasterSurface& surface);

// Writes EncodeBitmap(picture) to the file, whatever its extension. The old file is
// replaced only once the new one is complete. Throws KurovelError with
// "ファイル %s を作成できません" when the file cannot be created or replaced, and with
// kNothingToSave for a picture without pixels.
void SaveBitmapFile(const Picture& picture, const std::string& path_utf8);

inline constexpr std::string_view kNothingToSave = "保存する画像がありません";

}  // namespace kurovel
