#include "ui/drawing_area.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

namespace kurovel {

DrawingArea::DrawingArea(const DeferredNotXorSurface& surface, QWidget* parent) : QWidget(parent), surface_(surface) {
  // Every pixel is painted from the surface: no background fill, no flicker.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
}

void DrawingArea::FlushDirty() {
  const PixelRect dirty = surface_.Flushed().TakeDirtyRect();
  if (dirty.Empty()) return;
  update(QRect(dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top));
}

void DrawingArea::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect();
  const RasterSurface& raster = surface_.Flushed();
  const int w = raster.Width();
  const int h = raster.Height();
  // The surface follows the widget's size; between a resize and the layout that
  // follows it a sliver may lie outside it, shown white like a cleared area.
  for (const QRect& outside : QRegion(area).subtracted(QRect(0, 0, w, h))) {
    painter.fillRect(outside, Qt::white);
  }
  if (w > 0 && h > 0) {
    // A view of the engine's pixels, no copy: 0xffRRGGBB words are Format_RGB32.
    const QImage image(reinterpret_cast<const uchar*>(raster.Bits()), w, h,
                       static_cast<qsizetype>(w) * 4, QImage::Format_RGB32);
    const QRect inside = area & image.rect();
    painter.drawImage(inside, image, inside);
  }
}

}  // namespace kurovel
