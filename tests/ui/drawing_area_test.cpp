// The drawing area in front of the held-back surface: what it paints is what
// drawing every line at once gives, and its refresh repaints every pixel that
// changed, the arrow held back included.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QRegion>

#include "engine/deferred_not_xor_surface.h"
#include "engine/raster_surface.h"
#include "engine/turtle.h"
#include "ui/drawing_area.h"

namespace kurovel {
namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 60;

// The turtle's commands, on the area's surface and on a raster drawn directly.
struct Drawings {
  Drawings() {
    for (Turtle* turtle : {&shown, &direct}) {
      turtle->DrawArrow();
      turtle->ClearScreen();  // the turtle at the centre, the arrow drawn there
    }
  }
  void Both(void (Turtle::*command)(std::int32_t), std::int32_t n) {
    (shown.*command)(n);
    (direct.*command)(n);
  }

  RasterSurface raster{kWidth, kHeight};
  DeferredNotXorSurface surface{raster};
  RasterSurface plain{kWidth, kHeight};
  Turtle shown{surface};
  Turtle direct{plain};
};

// Where the area was painted since it was made.
class PaintedRegion : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
  QRegion region;
};

int RedPixels(const QImage& image) {
  int red = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) red += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
  }
  return red;
}

void ExpectShows(const QImage& image, const RasterSurface& expected) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const ColorValue c = expected.PixelAt(x, y);
      ASSERT_EQ(image.pixel(x, y), qRgb(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff)) << x << "," << y;
    }
  }
}

TEST(DrawingArea, PaintsTheHeldBackLinesAsDrawingThemAtOnceWould) {
  Drawings drawings;
  drawings.Both(&Turtle::MoveForward, 12);
  drawings.Both(&Turtle::TurnRight, 35);  // the arrow is held back now
  DrawingArea area(drawings.surface, nullptr);
  area.resize(kWidth, kHeight);
  const QImage image = area.grab().toImage();
  EXPECT_GT(RedPixels(image), 20);  // the arrow
  ExpectShows(image, drawings.plain);
}

TEST(DrawingArea, RefreshRepaintsEveryChangedPixel) {
  Drawings drawings;
  DrawingArea area(drawings.surface, nullptr);
  area.setGeometry(0, 0, kWidth, kHeight);
  area.show();
  area.FlushDirty();
  QCoreApplication::processEvents();
  const QImage before = area.grab().toImage();

  const struct {
    void (Turtle::*command)(std::int32_t);
    std::int32_t n;
  } commands[] = {{&Turtle::MoveForward, 9}, {&Turtle::TurnLeft, 80}, {&Turtle::MoveForward, 15}};
  for (const auto& command : commands) drawings.Both(command.command, command.n);
  PaintedRegion painted;
  area.installEventFilter(&painted);
  area.FlushDirty();
  QCoreApplication::processEvents();
  area.removeEventFilter(&painted);

  const QImage after = area.grab().toImage();
  ExpectShows(after, drawings.plain);
  int changed = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (after.pixel(x, y) == before.pixel(x, y)) continue;
      ++changed;
      EXPECT_TRUE(painted.region.contains(QPoint(x, y))) << x << "," << y << " changed but was not repainted";
    }
  }
  EXPECT_GT(changed, 0);
}

}  // namespace
}  // namespace kurovel
