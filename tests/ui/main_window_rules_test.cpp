#include <gtest/gtest.h>

#include <QStringList>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "ui/dialogs.h"
#include "ui/form_layout.h"

namespace kurovel {
namespace {

TEST(FormLayoutTest, FollowsTheOuterSizeAndNeverGoesNegative) {
  struct Case {
    int width, height;
    FormLayout expected;
  };
  const Case cases[] = {
      // paint box, editor width, editor height, first row, second row
      {831, 500, {576, 245, 300, 385, 410}},
      {100, 60, {0, 245, 0, 0, 0}},  // smaller than the rules assume: clamped at 0
  };
  for (const Case& c : cases) {
    const auto fields = [](const FormLayout& l) {
      return std::tuple(l.drawing_area_width, l.editor_width, l.editor_height, l.first_row_top, l.second_row_top);
    };
    EXPECT_EQ(fields(ComputeFormLayout(c.width, c.height)), fields(c.expected)) << c.width << "x" << c.height;
  }
}

TEST(DialogsTest, FiltersBecomeTheToolkitsForm) {
  struct Case {
    const char* filter;
    QStringList expected;
  };
  const Case cases[] = {
      {"Original Files|*.kv|All Files|*.*", {"Original Files (*.kv)", "All Files (*)"}},
      {"ビットマップ (*.bmp)|*.bmp", {QString::fromUtf8("ビットマップ (*.bmp)")}},
      {"すべて (*.bmp;*.ico)|*.bmp;*.ico|DIB(*.BMP)|*.bmp",
       {QString::fromUtf8("すべて (*.bmp *.ico)"), "DIB(*.BMP) (*.bmp)"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(QtNameFilters(c.filter), c.expected) << c.filter;
}

}  // namespace
}  // namespace kurovel
