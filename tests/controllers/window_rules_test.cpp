#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controllers/window_rules.h"

namespace kurovel {
namespace {

TEST(WindowRulesTest, CaptionIsTheTitleAloneOrWithTheFileName) {
  EXPECT_EQ(WindowCaption(""), "Kurovel Ver1.60 Taverin");
  EXPECT_EQ(WindowCaption("/home/u/星.kv"), "Kurovel Ver1.60 Taverin /home/u/星.kv");
}

TEST(WindowRulesTest, DroppedFileIsAProgramByItsLastExtension) {
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

TEST(WindowRulesTest, ADropOpensOneProgramAndAsksForOneFileAtATime) {
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

}  // namespace
}  // namespace kurovel
