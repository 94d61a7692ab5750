// One line typed into the command box: any bytes are normalised and executed on
// a small surface. Only the language's own errors may come out of it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/raster_surface.h"
#include "language/errors.h"
#include "language/normalizer.h"
#include "language/session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  kurovel::RasterSurface surface(64, 48);
  kurovel::Session session(surface);
  session.StartAndRepaint();
  const std::string line = kurovel::NormalizeLine(bytes);
  try {
    session.executor.ExecuteLine(line);
  } catch (const kurovel::KurovelError&) {
    // "div" and "mlt" report their arithmetic errors this way; the line just ends.
  }
  return 0;
}
