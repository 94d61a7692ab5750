#include "ui/picture_preview.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "engine/picture.h"
#include "files/bitmap_preview.h"

namespace kurovel {

namespace {

// The source index whose pixel covers the centre of target pixel `i`.
int NearestSource(int i, int target, int source) {
  return static_cast<int>((2 * std::int64_t{i} + 1) * source / (2 * std::int64_t{target}));
}

// ColorValue keeps red in its low byte.
QRgb ToRgb(ColorValue c) {
  return qRgb(static_cast<int>(c & 0xff), static_cast<int>((c >> 8) & 0xff), static_cast<int>((c >> 16) & 0xff));
}

QString SizeCaption(int width, int height) {
  return QString::fromUtf8("%1 × %2 ピクセル").arg(width).arg(height);
}

}  // namespace

QSize PreviewSize(QSize picture, int side) {
  if (picture.isEmpty()) return {};
  const double factor = std::min({double{PicturePreview::kMaxEnlargement}, double(side) / picture.width(),
                                  double(side) / picture.height()});
  const auto scaled = [factor](int length) { return std::max(1, static_cast<int>(std::lround(length * factor))); };
  return {scaled(picture.width()), scaled(picture.height())};
}

QImage ScaleNearest(const Picture& picture, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const int source_y = NearestSource(y, size.height(), picture.Height());
    for (int x = 0; x < size.width(); ++x) {
      line[x] = ToRgb(picture.PixelAt(NearestSource(x, size.width(), picture.Width()), source_y));
    }
  }
  return image;
}

PicturePreview::PicturePreview(QWidget* parent)
    : QWidget(parent), image_(new QLabel(this)), caption_(new QLabel(this)) {
  setObjectName(QStringLiteral("PicturePreview"));
  image_->setObjectName(QStringLiteral("PreviewImage"));
  caption_->setObjectName(QStringLiteral("PreviewCaption"));
  // A fixed square inside the frame, so the dialog's lists do not move when the
  // selection changes.
  image_->setFrameShape(QFrame::StyledPanel);
  const int framed_side = kImageSide + 2 * image_->frameWidth();
  image_->setFixedSize(framed_side, framed_side);
  image_->setAlignment(Qt::AlignCenter);
  caption_->setAlignment(Qt::AlignCenter);
  caption_->setTextFormat(Qt::PlainText);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(image_);
  layout->addWidget(caption_);
  layout->addStretch();
}

void PicturePreview::ShowFile(const QString& path) {
  Clear();
  if (path.isEmpty()) return;
  const std::optional<BitmapPreview> preview = ReadBitmapPreview(path.toStdString());
  if (!preview) return;
  caption_->setText(SizeCaption(preview->width, preview->height));
  if (!preview->picture) return;
  const QSize shown = PreviewSize({preview->width, preview->height}, kImageSide);
  image_->setPixmap(QPixmap::fromImage(ScaleNearest(*preview->picture, shown)));
}

void PicturePreview::Clear() {
  image_->clear();
  caption_->clear();
}

}  // namespace kurovel
