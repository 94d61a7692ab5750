// The picture handlers: where a background lands, what a failed read leaves, the
// arrow around a laid picture, and the saved snapshot.

#include "files/pictures.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/raster_surface.h"
#include "tests/files/files_test_support.h"
#include "files/bitmap_file.h"

namespace kurovel::test {
namespace {

constexpr ColorValue kGreen = MakeColor(0, 160, 0);

// A picture whose pixels tell their column; solid when a colour is given.
Picture MakePicture(std::int32_t width, std::int32_t height, ColorValue solid = 0xff000000) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      picture.SetPixel(x, y, solid != 0xff000000 ? solid : MakeColor(static_cast<std::uint8_t>(x), x / 256, 77));
  return picture;
}

// A cleared 361 x 446 surface with the turtle at its centre.
struct Canvas {
  Canvas() { turtle.ClearScreen(); }
  RasterSurface surface{361, 446};
  Turtle turtle{surface};
};

TEST(Pictures, BackgroundLandsCentredRoundingHalvesToEven) {
  const std::int32_t offsets[][3] = {{361, 100, 130}, {446, 100, 173}, {361, 401, -20}, {10, 5, 2},
                                     {10, 7, 2},      {10, 3, 4},      {0, 3, -2},      {0, 5, -2}};
  for (const auto& o : offsets) EXPECT_EQ(CentredOffset(o[0], o[1]), o[2]) << o[0] << " - " << o[1];

  ScratchFolder folder;
  SaveBitmapFile(MakePicture(100, 100, kGreen), folder.PathUtf8("small.bmp"));
  SaveBitmapFile(MakePicture(401, 10), folder.PathUtf8("wide.bmp"));
  Canvas small, wide;
  small.turtle.State().arrow_visible = wide.turtle.State().arrow_visible = false;
  PictureState small_state{folder.PathUtf8("small.bmp")}, wide_state{folder.PathUtf8("wide.bmp")};
  ClearWithBackground(small.turtle, small_state);
  ClearWithBackground(wide.turtle, wide_state);
  const std::int32_t probes[][3] = {{130, 173, 1}, {229, 272, 1}, {129, 173, 0},
                                    {130, 172, 0}, {230, 173, 0}, {130, 273, 0}};
  for (const auto& p : probes)
    EXPECT_EQ(small.surface.PixelAt(p[0], p[1]), p[2] ? kGreen : clWhite) << p[0] << "," << p[1];
  // The 401-wide picture lands at x = -20, cut to its leftmost 361 columns.
  for (std::int32_t x = 0; x < 361; ++x)
    ASSERT_EQ(wide.surface.PixelAt(x, 218),
              x <= 340 ? MakeColor(static_cast<std::uint8_t>(x + 20), (x + 20) / 256, 77) : clWhite)
        << x;
  EXPECT_EQ(wide.surface.PixelAt(100, 217), clWhite);
}

// Taking the arrow off after a handler must leave exactly the background on white:
// then the handler drew the whole arrow, whether the picture covered it or not.
TEST(Pictures, ArrowStaysWholeAroundALaidPicture) {
  struct Case {
    const char* name;
    std::int32_t side;
    ColorValue color;
    std::int32_t x, y;
    bool clear_button;
  };
  const Case cases[] = {{"clear, picture covers the arrow", 200, kGreen, 0, 0, true},
                        {"clear, picture smaller than the arrow", 6, kGreen, 0, 0, true},
                        {"clear, white dot", 1, clWhite, 0, 0, true},
                        {"load, turtle on the picture", 200, kGreen, 10, 10, false},
                        {"load, turtle away from it", 40, kGreen, -150, 200, false},
                        {"load, turtle on its edge", 40, kGreen, -20, 0, false}};
  ScratchFolder folder;
  for (const Case& c : cases) {
    SaveBitmapFile(MakePicture(c.side, c.side, c.color), folder.PathUtf8("bg.bmp"));
    Canvas canvas;
    PictureState state{c.clear_button ? folder.PathUtf8("bg.bmp") : ""};
    canvas.turtle.PenUp();
    canvas.turtle.MoveToPosition(c.x, c.y);
    c.clear_button ? ClearWithBackground(canvas.turtle, state) : UseBackground(canvas.turtle, state, folder.PathUtf8("bg.bmp"));
    EXPECT_EQ(state.background_file_name, folder.PathUtf8("bg.bmp"));
    const std::int32_t dx = CentredOffset(361, c.side), dy = CentredOffset(446, c.side);
    const auto differences = [&] {
      int count = 0;
      for (std::int32_t y = 0; y < 446; ++y)
        for (std::int32_t x = 0; x < 361; ++x)
          count += canvas.surface.PixelAt(x, y) !=
                   (x >= dx && y >= dy && x < dx + c.side && y < dy + c.side ? c.color : clWhite);
      return count;
    };
    EXPECT_GT(differences(), 20) << c.name << ": the arrow is shown";
    canvas.turtle.DrawArrow();
    EXPECT_EQ(differences(), 0) << c.name << ": stray arrow pixels";
  }
}

TEST(Pictures, UnreadableBackgroundIsReportedOnceAndLeavesTheDrawingAsItWas) {
  ScratchFolder folder;
  WriteBytes(folder.Path("bad.bmp"), "BM not really");
  const std::string gone = folder.PathUtf8("gone.bmp");
  const std::pair<std::string, std::string> cases[] = {{gone, "ファイル " + gone + " は開けません"},
                                                       {folder.PathUtf8("bad.bmp"), "ビットマップイメージが不正です"}};
  for (const auto& [path, message] : cases) {
    Canvas canvas, plain;
    canvas.turtle.MoveForward(50);
    PictureState state{path};
    EXPECT_EQ(ErrorOf([&] { ClearWithBackground(canvas.turtle, state); }), message);
    EXPECT_EQ(state.background_file_name, "");
    EXPECT_EQ(TakeDrawingSnapshot(canvas.surface).Pixels(), TakeDrawingSnapshot(plain.surface).Pixels());
    EXPECT_NO_THROW(ClearWithBackground(canvas.turtle, state));  // the repaint after the error box

    // Loading it as a new background leaves the drawing but remembers the name.
    const Picture before = TakeDrawingSnapshot(canvas.surface);
    EXPECT_THROW(UseBackground(canvas.turtle, state, path), KurovelError);
    EXPECT_EQ(state.background_file_name, path);
    EXPECT_EQ(TakeDrawingSnapshot(canvas.surface).Pixels(), before.Pixels());
  }
}

// Every repaint lays the remembered background: an unchanged file is decoded once,
// a file whose size or time changed is read again.
TEST(Pictures, AnUnchangedBackgroundIsDecodedOnce) {
  ScratchFolder folder;
  const std::string path = folder.PathUtf8("bg.bmp");
  const auto set_time = [&](std::int64_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };
  const auto centre_after_clear = [&](PictureState& state) {
    Canvas canvas;
    ClearWithBackground(canvas.turtle, state);
    return canvas.surface.PixelAt(100, 100);  // inside the picture, away from the arrow
  };
  const struct {
    const char* name;
    ColorValue written;
    std::int64_t time;
    ColorValue expected;
  } steps[] = {
      {"first read", kGreen, 1000, kGreen},
      {"same size and time: the decoded picture", clRed, 1000, kGreen},
      {"a new time: read again", clRed, 2000, clRed},
  };
  PictureState state{path};
  for (const auto& step : steps) {
    SaveBitmapFile(MakePicture(361, 446, step.written), path);
    set_time(step.time);
    EXPECT_EQ(centre_after_clear(state), step.expected) << step.name;
  }
}

TEST(Pictures, SavedDrawingLeavesOutTheRightmostTenColumns) {
  ScratchFolder folder;
  Canvas canvas;
  canvas.turtle.MoveForward(40);
  const Picture snapshot = TakeDrawingSnapshot(canvas.surface);
  ASSERT_EQ(snapshot.Width(), 351);
  ASSERT_EQ(snapshot.Height(), 446);
  for (std::int32_t y = 0; y < 446; ++y)
    for (std::int32_t x = 0; x < 351; ++x) ASSERT_EQ(snapshot.PixelAt(x, y), canvas.surface.PixelAt(x, y));
  PictureState state;
  EXPECT_EQ(SavePictureFilter(state), kSavePictureFilterFirst);
  EXPECT_THROW(SaveDrawing(snapshot, state, folder.PathUtf8("missing/work.bmp")), KurovelError);
  EXPECT_EQ(SavePictureFilter(state), kSavePictureFilterLater);  // the dialog was confirmed
  SaveDrawing(snapshot, state, folder.PathUtf8("work.bmp"));
  EXPECT_EQ(ReadBytes(folder.Path("work.bmp")), EncodeBitmap(snapshot));

  for (const std::int32_t width : {10, 0}) {
    EXPECT_EQ(ErrorOf([&] { TakeDrawingSnapshot(RasterSurface(width, 446)); }), kSurfaceTooNarrow);
  }
  EXPECT_EQ(TakeDrawingSnapshot(RasterSurface(11, 5)).Width(), 1);
}

}  // namespace
}  // namespace kurovel::test
