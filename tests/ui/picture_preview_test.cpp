#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>
#include <string>
#include <sys/stat.h>

#include "engine/color.h"
#include "engine/picture.h"
#include "files/bitmap_file.h"
#include "modal_script.h"
#include "tests/files/bitmap_samples.h"
#include "tests/files/files_test_support.h"
#include "ui/dialogs.h"
#include "ui/picture_preview.h"

namespace kurovel {
namespace {

using testing::ModalScript;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// A picture whose pixel (x, y) has red x and green y, so a scaled copy tells which
// source pixel each of its pixels came from.
Picture Gradient(int width, int height) {
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColor(x % 256, y % 256, 7));
  }
  return picture;
}

// An 8-bit file of the given size with every palette entry missing (all black).
std::string IndexedBmp(int width, int height) {
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
  return test::BuildBmp({.width = width, .height = height, .bits = 8, .data = std::string(stride * height, '\0')});
}

struct Shown {
  QSize pixmap;  // empty: no picture
  QString caption;
};

Shown ShownBy(const PicturePreview& preview) {
  const QPixmap pixmap = preview.findChild<QLabel*>(QStringLiteral("PreviewImage"))->pixmap();
  return {pixmap.isNull() ? QSize() : pixmap.size(),
          preview.findChild<QLabel*>(QStringLiteral("PreviewCaption"))->text()};
}

class PicturePreviewTest : public ::testing::Test {
 protected:
  QString Write(const char* name, const std::string& bytes) const {
    test::WriteBytes(folder_.Path(U(name)), bytes);
    return folder_.Path(U(name));
  }
  test::ScratchFolder folder_;
};

TEST_F(PicturePreviewTest, ShowsWhatTheLoaderAcceptsFittedAndNothingElse) {
  const std::string short_of_data = EncodeBitmap(Gradient(8, 8));
  ASSERT_EQ(::mkfifo(folder_.PathUtf8(U("pipe.bmp")).c_str(), 0600), 0);
  // One pane for every case, in this order: each case must also clear what the one before showed.
  const struct {
    const char* name;
    QString path;
    Shown expected;
  } cases[] = {
      {"small: at most twice its size", Write("small.bmp", EncodeBitmap(Gradient(20, 10))),
       {{40, 20}, U("20 × 10 ピクセル")}},
      {"wide: fitted to the side", Write("wide.bmp", EncodeBitmap(Gradient(400, 100))),
       {{200, 50}, U("400 × 100 ピクセル")}},
      {"exactly twice fills the square", Write("square.bmp", EncodeBitmap(Gradient(100, 100))),
       {{200, 200}, U("100 × 100 ピクセル")}},
      {"a thin column keeps one pixel", Write("thin.bmp", EncodeBitmap(Gradient(1, 300))),
       {{1, 200}, U("1 × 300 ピクセル")}},
      {"not a bitmap", Write("text.bmp", "BM this is no picture"), {}},
      {"16384 wide, no pixel data", Write("huge.bmp", test::BuildBmp({.width = 16384, .height = 6000, .bits = 8})),
       {}},
      {"one byte short of its data",
       Write("short.bmp", short_of_data.substr(0, short_of_data.size() - 1)), {}},
      {"over the preview budget: size only", Write("budget.bmp", IndexedBmp(2001, 2000)),
       {{}, U("2001 × 2000 ピクセル")}},
      {"over the budget and short of its data", Write("budget-short.bmp", IndexedBmp(2001, 2000).substr(0, 5000)),
       {}},
      {"a folder", folder_.dir.path(), {}},
      {"a FIFO is never opened for reading", folder_.Path(U("pipe.bmp")), {}},
      {"missing", folder_.Path(U("missing.bmp")), {}},
      {"nothing selected", QString(), {}},
  };
  PicturePreview preview;
  for (const auto& c : cases) {
    preview.ShowFile(Write("small-again.bmp", EncodeBitmap(Gradient(3, 3))));  // something to clear
    preview.ShowFile(c.path);
    const Shown shown = ShownBy(preview);
    EXPECT_EQ(shown.pixmap, c.expected.pixmap) << c.name;
    EXPECT_EQ(shown.caption, c.expected.caption) << c.name;
  }
}

TEST(PreviewScalingTest, NearestNeighbourKeepsEveryPixelCrisp) {
  // 3 x 2 shown at 2x and 3 x 1 squeezed to 1 x 1: every target pixel is one source pixel.
  const struct {
    QSize source, target;
    std::vector<std::pair<QPoint, QPoint>> target_from_source;
  } cases[] = {
      {{3, 2}, {6, 4}, {{{0, 0}, {0, 0}}, {{1, 1}, {0, 0}}, {{2, 1}, {1, 0}}, {{5, 3}, {2, 1}}, {{3, 2}, {1, 1}}}},
      {{3, 1}, {1, 1}, {{{0, 0}, {1, 0}}}},
      {{400, 100}, {200, 50}, {{{0, 0}, {1, 1}}, {{199, 49}, {399, 99}}, {{100, 25}, {201, 51}}}},
  };
  for (const auto& c : cases) {
    const QImage image = ScaleNearest(Gradient(c.source.width(), c.source.height()), c.target);
    ASSERT_EQ(image.size(), c.target);
    for (const auto& [target, source] : c.target_from_source) {
      EXPECT_EQ(image.pixel(target), qRgb(source.x(), source.y(), 7))
          << c.source.width() << "x" << c.source.height() << " at " << target.x() << "," << target.y();
    }
  }
}

TEST_F(PicturePreviewTest, OnlyThePictureDialogsHaveThePaneAndItFollowsTheSelection) {
  const QString first = Write("first.bmp", EncodeBitmap(Gradient(20, 10)));
  const QString second = Write("second.bmp", EncodeBitmap(Gradient(30, 5)));
  for (const bool picture_preview : {true, false}) {
    bool has_pane = false;
    QString initial_caption;
    QString caption_after_selection;
    ModalScript script({[&](QWidget* modal) {
      auto* dialog = static_cast<QFileDialog*>(modal);
      if (auto* pane = dialog->findChild<PicturePreview*>()) {
        has_pane = pane->isVisible();
        initial_caption = ShownBy(*pane).caption;
        // As a click in the file list makes it current.
        auto* files = dialog->findChild<QListView*>(QStringLiteral("listView"));
        auto* model = dialog->findChild<QFileSystemModel*>();
        files->selectionModel()->setCurrentIndex(model->index(second), QItemSelectionModel::ClearAndSelect);
        caption_after_selection = ShownBy(*pane).caption;
      }
      dialog->reject();
    }});
    FileDialogRequest request{false, QtNameFilters("ビットマップ (*.bmp)|*.bmp"), QString(), first, picture_preview};
    EXPECT_TRUE(RunFileDialog(nullptr, request).isEmpty());
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(has_pane, picture_preview);
    if (!picture_preview) continue;
    EXPECT_EQ(initial_caption, U("20 × 10 ピクセル"));
    EXPECT_EQ(caption_after_selection, U("30 × 5 ピクセル"));
  }
}

}  // namespace
}  // namespace kurovel
