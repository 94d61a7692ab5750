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

// The largest program file the editor takes.
inline constexpr std::int64_t kMaxProgramFileBytes = std::int64_t{64} * 1024 * 1024;

}  // namespace kurovel
