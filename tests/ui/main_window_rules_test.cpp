#include <gtest/gtest.h>

#include <QStringList>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "files/window_rules.h"
#include "ui/dialogs.h"
#include "ui/form_layout.h"
#include "ui/start_rules.h"

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

TEST(StartRulesTest, CommandLineArgumentMustBeAloneAndHoldKvOrKV) {
  struct Case {
    QStringList arguments;
    bool loaded;
  };
  const Case cases[] = {
      {{"/data/square.kv"}, true},   {{"/data/SQUARE.KV"}, true}, {{"/kvwork/notes.txt"}, true},
      {{"/data/square.Kv"}, false},  {{"/data/square.kV"}, false}, {{"/data/a.kv", "/data/b.kv"}, false},
      {{}, false},                   {{"with blank.kv"}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandLineProgram(c.arguments), c.loaded ? std::optional(c.arguments.front()) : std::nullopt)
        << c.arguments.join(QStringLiteral(" | ")).toStdString();
  }
}

TEST(StartRulesTest, DroppedFileIsAProgramByItsLastExtension) {
  struct Case {
    const char* path;
    bool program;
  };
  const Case cases[] = {
      {"/home/u/a.kv", true},    {"/home/u/a.KV", true},     {"/home/u/a.Kv", true},
      {"/home/u/a.kvx", false},  {"/home/u/a.kv.txt", false}, {"/home/u/dir.kv/file", false},
      {"/home/u/noext", false},  {"/home/u/.kv", true},       {"/home/u/a.k", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsProgramFileName(c.path), c.program) << c.path;
}

TEST(StartRulesTest, ADropOpensOneProgramAndAsksForOneFileAtATime) {
  struct Case {
    std::vector<std::string> paths;
    DropRequest request;
  };
  const Case cases[] = {
      {{}, DropRequest::kNothing},
      {{"/home/u/a.kv"}, DropRequest::kOpenProgram},
      {{"/home/u/a.txt"}, DropRequest::kNothing},
      {{"/home/u/a.kv", "/home/u/b.kv"}, DropRequest::kOneFileOnly},
      {{"/home/u/a.txt", "/home/u/b.txt"}, DropRequest::kOneFileOnly},
  };
  for (const Case& c : cases) EXPECT_EQ(DropRequestFor(c.paths), c.request) << c.paths.size();
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
