#pragma once
// The preview pane of the picture dialogs: the selected bitmap fitted into a
// square with crisp (nearest-neighbour) pixels and its size in pixels under it.
// A file the loader would refuse leaves the pane empty; a picture over the
// preview budget shows its size alone.

#include <QImage>
#include <QSize>
#include <QWidget>

class QLabel;

namespace kurovel {

class Picture;

class PicturePreview : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kImageSide = 200;      // the square a picture is fitted into
  static constexpr int kMaxEnlargement = 2;   // small pictures grow at most this much

  explicit PicturePreview(QWidget* parent = nullptr);

  // Shows the file at `path` (a folder, a missing or invalid file: nothing).
  void ShowFile(const QString& path);

 private:
  void Clear();

  QLabel* image_;
  QLabel* caption_;
};

// The size a picture is shown at: fitted into a side × side square, keeping its
// proportions, never more than kMaxEnlargement times its own size, at least 1 × 1.
QSize PreviewSize(QSize picture, int side);

// The picture resampled to `size` by nearest neighbour.
QImage ScaleNearest(const Picture& picture, QSize size);

}  // namespace kurovel
