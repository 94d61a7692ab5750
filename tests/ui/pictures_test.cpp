// The picture handlers: where a background lands, what a failed read leaves, the
// arrow around a laid picture, and the saved snapshot.

#include "ui/pictures.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstdint>
#include <ostream>
#include <string>

#include "engine/raster_surface.h"
#include "engine/turtle.h"
#include "language/errors.h"
#include "tests/ui/files_test_support.h"
#include "ui/bitmap_file.h"

namespace kurovel {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

constexpr ColorValue kGreen = MakeColor(0, 160, 0);

// Column and row are readable back from every pixel.
ColorValue Coded(std::int32_t x, std::int32_t y) {
  return MakeColor(static_cast<std::uint8_t>(x % 256), static_cast<std::uint8_t>(x / 256 * 64 + y % 64), 77);
}

Picture CodedPicture(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) picture.SetPixel(x, y, Coded(x, y));
  }
  return picture;
}

Picture SolidPicture(std::int32_t width, std::int32_t height, ColorValue color) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) picture.SetPixel(x, y, color);
  }
  return picture;
}

// A cleared surface of the given size with the turtle at its centre.
struct Canvas {
  Canvas(std::int32_t width, std::int32_t height) : surface(width, height), turtle(surface) { turtle.ClearScreen(); }
  RasterSurface surface;
  Turtle turtle;
};

TEST(Pictures, CentredOffsetRoundsHalvesToEven) {
  struct Case {
    std::int32_t surface, picture, offset;
  };
  const Case cases[] = {{361, 100, 130}, {446, 100, 173}, {361, 401, -20}, {10, 5, 2},  {10, 7, 2},
                        {10, 3, 4},      {0, 1, 0},       {0, 3, -2},      {0, 5, -2},  {100, 100, 0},
                        {16384, 1, 8192}};
  for (const Case& c : cases) {
    EXPECT_EQ(CentredOffset(c.surface, c.picture), c.offset) << c.surface << " - " << c.picture;
  }
}

TEST(Pictures, SmallBackgroundLandsCentred) {
  ScratchFolder folder;
  SaveBitmapFile(SolidPicture(100, 100, kGreen), folder.PathUtf8("bg.bmp"));
  Canvas canvas(361, 446);
  canvas.turtle.State().ArrowVisible = 0;
  PictureState state{folder.PathUtf8("bg.bmp")};
  Button4Click(canvas.turtle, state);
  struct Probe {
    std::int32_t x, y;
    ColorValue color;
  };
  const Probe probes[] = {{130, 173, kGreen}, {229, 272, kGreen},  {129, 173, clWhite}, {130, 172, clWhite},
                          {230, 173, clWhite}, {130, 273, clWhite}, {229, 173, kGreen},  {130, 272, kGreen}};
  for (const Probe& p : probes) EXPECT_EQ(canvas.surface.PixelAt(p.x, p.y), p.color) << p.x << "," << p.y;
  EXPECT_EQ(state.BackgroundFileName, folder.PathUtf8("bg.bmp"));
}

TEST(Pictures, WideBackgroundShowsItsCutTopLeftBlock) {
  ScratchFolder folder;
  SaveBitmapFile(CodedPicture(401, 10), folder.PathUtf8("wide.bmp"));
  Canvas canvas(361, 446);
  canvas.turtle.State().ArrowVisible = 0;
  PictureState state{folder.PathUtf8("wide.bmp")};
  Button4Click(canvas.turtle, state);
  const std::int32_t dy = 218;  // (446 - 10) / 2
  for (std::int32_t x = 0; x < 361; ++x) {
    // Picture columns 20..360 at x = 0..340; the cut-off columns leave x = 341..360 white.
    const ColorValue expected = x <= 340 ? Coded(x + 20, 3) : clWhite;
    ASSERT_EQ(canvas.surface.PixelAt(x, dy + 3), expected) << "x = " << x;
  }
  EXPECT_EQ(canvas.surface.PixelAt(100, dy - 1), clWhite);
  EXPECT_EQ(canvas.surface.PixelAt(100, dy + 10), clWhite);
}

TEST(Pictures, LoadBackgroundLaysOverTheDrawingAndKeepsTheTurtle) {
  ScratchFolder folder;
  SaveBitmapFile(CodedPicture(401, 10), folder.PathUtf8("wide.bmp"));
  Canvas canvas(361, 446);
  canvas.surface.CopyPictureIn(SolidPicture(361, 446, kGreen), 0, 0, 361, 446);  // the drawing
  canvas.turtle.PenUp();
  canvas.turtle.MoveToPosition(-100, 150);
  const TurtleState before = canvas.turtle.State();
  PictureState state;
  N15Click(canvas.turtle, state, folder.PathUtf8("wide.bmp"));
  EXPECT_EQ(state.BackgroundFileName, folder.PathUtf8("wide.bmp"));
  EXPECT_EQ(canvas.turtle.State().X, before.X);
  EXPECT_EQ(canvas.turtle.State().Y, before.Y);
  EXPECT_EQ(canvas.surface.PixelAt(5, 217), kGreen);      // above the picture
  EXPECT_EQ(canvas.surface.PixelAt(350, 300), kGreen);    // right of the cut picture
  EXPECT_EQ(canvas.surface.PixelAt(0, 218), Coded(20, 0));
  EXPECT_EQ(canvas.surface.PixelAt(5, 300), clWhite);     // the white extension below it
}

// Taking the arrow off after a handler must leave exactly the background on white:
// then the handler drew the arrow whole, whether the picture covers it or not.
struct ArrowCase {
  const char* name;
  std::int32_t width, height;  // of the background
  ColorValue color;
  std::int32_t turtle_x, turtle_y;  // pos before the load-background handler
  bool clear_button;                 // Button4Click, else N15Click
};
void PrintTo(const ArrowCase& c, std::ostream* os) { *os << c.name; }

class ArrowAroundPicture : public ::testing::TestWithParam<ArrowCase> {};

TEST_P(ArrowAroundPicture, ComesOffCleanly) {
  const ArrowCase c = GetParam();
  ScratchFolder folder;
  SaveBitmapFile(SolidPicture(c.width, c.height, c.color), folder.PathUtf8("bg.bmp"));
  Canvas canvas(361, 446);
  PictureState state;
  if (c.clear_button) {
    state.BackgroundFileName = folder.PathUtf8("bg.bmp");
    Button4Click(canvas.turtle, state);
  } else {
    canvas.turtle.PenUp();
    canvas.turtle.MoveToPosition(c.turtle_x, c.turtle_y);
    N15Click(canvas.turtle, state, folder.PathUtf8("bg.bmp"));
  }
  const std::int32_t dx = CentredOffset(361, c.width);
  const std::int32_t dy = CentredOffset(446, c.height);
  // The background alone: the picture where it landed, white elsewhere.
  const auto differences_from_background = [&] {
    int count = 0;
    for (std::int32_t y = 0; y < 446; ++y) {
      for (std::int32_t x = 0; x < 361; ++x) {
        const bool on_picture = x >= dx && y >= dy && x < dx + c.width && y < dy + c.height;
        count += canvas.surface.PixelAt(x, y) != (on_picture ? c.color : clWhite);
      }
    }
    return count;
  };
  EXPECT_GT(differences_from_background(), 20) << "the arrow is shown";
  canvas.turtle.DrawArrow();
  EXPECT_EQ(differences_from_background(), 0) << "stray arrow pixels";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArrowAroundPicture,
    ::testing::Values(ArrowCase{"clear_picture_covers_arrow", 200, 200, kGreen, 0, 0, true},
                      ArrowCase{"clear_picture_smaller_than_arrow", 6, 6, kGreen, 0, 0, true},
                      ArrowCase{"clear_white_dot", 1, 1, clWhite, 0, 0, true},
                      ArrowCase{"load_turtle_on_picture", 200, 200, kGreen, 10, 10, false},
                      ArrowCase{"load_turtle_away_from_picture", 40, 40, kGreen, -150, 200, false},
                      ArrowCase{"load_turtle_on_picture_edge", 40, 40, kGreen, -20, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pictures, UnreadableRememberedBackgroundIsReportedOnce) {
  ScratchFolder folder;
  WriteBytes(folder.Path("bad.bmp"), "BM not really");
  struct Case {
    std::string path;
    std::string message;
  };
  const Case cases[] = {{folder.PathUtf8("gone.bmp"), "ファイル " + folder.PathUtf8("gone.bmp") + " は開けません"},
                        {folder.PathUtf8("bad.bmp"), "ビットマップイメージが不正です"}};
  for (const Case& c : cases) {
    Canvas canvas(361, 446);
    Canvas plain(361, 446);
    canvas.turtle.MoveForward(50);
    PictureState state{c.path};
    try {
      Button4Click(canvas.turtle, state);
      FAIL() << c.path;
    } catch (const KurovelError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
    EXPECT_EQ(state.BackgroundFileName, "");
    for (std::int32_t y = 0; y < 446; y += 3) {
      for (std::int32_t x = 0; x < 361; ++x) ASSERT_EQ(canvas.surface.PixelAt(x, y), plain.surface.PixelAt(x, y));
    }
    EXPECT_NO_THROW(Button4Click(canvas.turtle, state));  // the repaint after the error box
  }
}

TEST(Pictures, FailedLoadBackgroundLeavesTheSurfaceButRemembersTheName) {
  ScratchFolder folder;
  Canvas canvas(361, 446);
  canvas.turtle.MoveForward(30);
  const Picture before = TakeDrawingSnapshot(canvas.surface);
  PictureState state;
  EXPECT_THROW(N15Click(canvas.turtle, state, folder.PathUtf8("gone.bmp")), KurovelError);
  EXPECT_EQ(state.BackgroundFileName, folder.PathUtf8("gone.bmp"));
  EXPECT_EQ(TakeDrawingSnapshot(canvas.surface).Pixels(), before.Pixels());
}

TEST(Pictures, SnapshotLeavesOutTheRightmostTenColumns) {
  struct Case {
    std::int32_t width, height;
    std::int32_t snapshot_width;  // 0: nothing to save
  };
  const Case cases[] = {{361, 446, 351}, {11, 5, 1}, {10, 446, 0}, {0, 0, 0}};
  for (const Case& c : cases) {
    RasterSurface surface(c.width, c.height);
    surface.SetPenColor(kGreen);
    surface.MoveTo(0, 0);
    surface.LineTo(c.width, c.height);
    if (c.snapshot_width == 0) {
      try {
        TakeDrawingSnapshot(surface);
        FAIL() << c.width;
      } catch (const KurovelError& error) {
        EXPECT_EQ(std::string(error.what()), kSurfaceTooNarrow);
      }
      continue;
    }
    const Picture snapshot = TakeDrawingSnapshot(surface);
    ASSERT_EQ(snapshot.Width(), c.snapshot_width);
    ASSERT_EQ(snapshot.Height(), c.height);
    for (std::int32_t y = 0; y < c.height; ++y) {
      for (std::int32_t x = 0; x < c.snapshot_width; ++x) ASSERT_EQ(snapshot.PixelAt(x, y), surface.PixelAt(x, y));
    }
  }
}

TEST(Pictures, SaveDrawingWritesTheSnapshotAndSwitchesTheFilter) {
  ScratchFolder folder;
  Canvas canvas(361, 446);
  canvas.turtle.MoveForward(40);  // the arrow is part of the snapshot
  const Picture snapshot = TakeDrawingSnapshot(canvas.surface);
  PictureState state;
  EXPECT_EQ(SavePictureFilter(state), kSavePictureFilterFirst);
  EXPECT_THROW(N2Click(snapshot, state, folder.PathUtf8("missing/work.bmp")), KurovelError);
  EXPECT_EQ(SavePictureFilter(state), kSavePictureFilterLater);  // the dialog was confirmed
  N2Click(snapshot, state, folder.PathUtf8("work.bmp"));
  const Picture saved = LoadBitmapFile(folder.PathUtf8("work.bmp"));
  EXPECT_EQ(saved.Width(), 351);
  EXPECT_EQ(saved.Pixels(), snapshot.Pixels());
  EXPECT_EQ(ReadBytes(folder.Path("work.bmp")), EncodeBitmap(snapshot));
}

}  // namespace
}  // namespace kurovel
