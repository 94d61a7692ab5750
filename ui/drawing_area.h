#pragma once
// The drawing area ("PaintBox1"): shows the engine's off-screen RasterSurface. It
// never draws by itself and never clears: a paint event only copies the
// surface's pixels, so uncovering the window keeps the drawing.

#include <QWidget>

#include "engine/raster_surface.h"

namespace kurovel {

class DrawingArea : public QWidget {
  Q_OBJECT

 public:
  // The surface must outlive the widget.
  DrawingArea(RasterSurface& surface, QWidget* parent);

  // Schedules a repaint of what the engine changed since the last call.
  void FlushDirty();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  RasterSurface& surface_;
};

}  // namespace kurovel
