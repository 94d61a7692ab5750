#pragma once
// Kurovel's limits and defaults, each stated once for every program and library.

#include <cstddef>
#include <cstdint>

namespace kurovel {

// A program line is read up to this many bytes; the rest of a longer line is not
// part of the program.
inline constexpr std::size_t kMaxLineBytes = 4096;

// The drawing area of the main window at start, and kurovel-run's default surface.
inline constexpr std::int32_t kDefaultSurfaceWidth = 361;
inline constexpr std::int32_t kDefaultSurfaceHeight = 446;

// The largest width or height of a drawing surface and of a bitmap file.
inline constexpr std::int32_t kMaxPictureSide = 16384;

// The most pixels a bitmap file may claim. 100 megapixels hold any drawing area,
// a full-HD (2 Mpx) or 4K (8 Mpx) photo and even a 50 Mpx camera picture, at 400 MB
// as a picture; a full 16384 x 16384 claim (268 Mpx, over 1 GB) is refused before
// anything is allocated, so a small file cannot ask for gigabytes.
inline constexpr std::int64_t kMaxBitmapPixels = 100'000'000;

// The picture dialogs' preview decodes a file only up to this many pixels and this
// many bytes (4 Mpx at 32 bits); a larger picture shows its size alone, so that
// selecting a file never holds up the dialog for long.
inline constexpr std::int64_t kMaxPreviewPixels = 4'000'000;
inline constexpr std::int64_t kMaxPreviewFileBytes = std::int64_t{16} * 1024 * 1024;

// The trace keeps this many lines; it counts the lines after them without keeping them.
inline constexpr std::size_t kMaxTraceLines = 1'000'000;

// The drawing as geometry keeps this many places the turtle moved to since the last
// clear screen (12 bytes each), so a little fewer moves; it counts the moves after
// them without keeping them.
// Every exercise figure takes a few hundred; a drawing beyond this is too large to
// check.
inline constexpr std::size_t kMaxPathPlaces = 100'000;

// An exercise check looks at a drawing of at most this many straight strokes once
// the pieces of each straight line are joined; no exercise figure needs more.
inline constexpr std::size_t kMaxCheckedStrokes = 4'000;

// The class report runs each pupil's program with at most this many commands and
// for at most this long unless told otherwise, so that no endless loop holds up the
// class: a million commands draw any exercise many times over in well under a second.
inline constexpr std::uint64_t kClassMaxCommands = 1'000'000;
inline constexpr double kClassTimeoutSeconds = 2.0;

// The largest program file the editor takes.
inline constexpr std::int64_t kMaxProgramFileBytes = std::int64_t{64} * 1024 * 1024;

// A program shared by link (the page): the longest link made or opened, Chromium's
// limit on a URL's length (a longer one it does not open at all), and the most text
// a link's compressed program may unpack to, in UTF-8 bytes: what a program file may
// hold, so that a small link cannot make the page unpack gigabytes.
inline constexpr std::int64_t kMaxLinkChars = std::int64_t{2} * 1024 * 1024;
inline constexpr std::int64_t kMaxSharedProgramBytes = kMaxProgramFileBytes;

}  // namespace kurovel
