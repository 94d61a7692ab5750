#pragma once
// The drawing area ("PaintBox1"): shows the engine's off-screen raster. It never
// draws by itself and never clears: a paint event only copies the raster's
// pixels, so uncovering the window keeps the drawing. The raster is read only
// through the held-back surface in front of it, so what shows is always what
// drawing every held-back arrow line at once would show.

#include <QWidget>

#include "engine/deferred_not_xor_surface.h"

namespace kurovel {

class DrawingArea : public QWidget {
  Q_OBJECT

 public:
  // The surface must outlive the widget.
  DrawingArea(const DeferredNotXorSurface& surface, QWidget* parent);

  // Schedules a repaint of what the engine changed since the last call.
  void FlushDirty();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const DeferredNotXorSurface& surface_;
};

}  // namespace kurovel
