#include "controllers/document_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "controllers/window_texts.h"
#include "engine/color.h"
#include "engine/limits.h"
#include "engine/raster_surface.h"
#include "document_harness.h"
#include "language/session.h"

namespace kurovel {
namespace {

using testing::Caption;
using testing::Choice;
using testing::DocumentHarness;
using testing::kDiscard;
using testing::kSaveQuestion;
using testing::kSquareBytes;
using testing::kSquareText;
using testing::kTitle;
using testing::kCancel;
using testing::kNo;
using testing::kOk;
using testing::kYes;
using testing::Pick;

class DocumentTest : public ::testing::Test, public DocumentHarness {};

// One event on a document that shows /p/b.kv ("fd 5"), or nothing, changed or not.
struct Case {
  const char* name;
  bool from_b;             // the editor shows /p/b.kv first
  const char* typed;       // then the user types this ("" : nothing)
  std::function<Flow<>(DocumentController&)> event;
  std::vector<Choice> script;
  // Expected afterwards.
  std::string editor;
  bool modified;
  std::string file;
  std::vector<std::string> questions;
  std::vector<std::string> messages;
  bool closed = false;
};

Flow<> OpenEvent(DocumentController& d) { return d.Open(); }
Flow<> NewEvent(DocumentController& d) { return d.New(); }
Flow<> SaveEvent(DocumentController& d) { return d.Save(); }
Flow<> SaveAsEvent(DocumentController& d) { return d.SaveAs(); }
Flow<> CloseEvent(DocumentController& d) { return d.Close(); }
std::function<Flow<>(DocumentController&)> DropEvent(std::vector<std::string> paths) {
  return [paths](DocumentController& d) { return d.Drop(paths); };
}

TEST_F(DocumentTest, EveryAnswerToEveryQuestion) {
  const std::string unsaved = "fd 5 rt 9";
  const std::string cannot_open = "ファイル /p/gone.kv は開けません.";
  const Case cases[] = {
      {"open, unchanged", false, "", OpenEvent, {Pick("/p/a.kv")}, kSquareText, false, "/p/a.kv", {}, {}},
      {"open, changed, Cancel", true, " rt 9", OpenEvent, {kCancel}, unsaved, true, "/p/b.kv", {kDiscard}, {}},
      {"open, changed, OK, dialog cancelled", true, " rt 9", OpenEvent, {kOk, kCancel}, unsaved, true, "/p/b.kv",
       {kDiscard}, {}},
      {"open, changed, OK, a file", true, " rt 9", OpenEvent, {kOk, Pick("/p/a.kv")}, kSquareText, false, "/p/a.kv",
       {kDiscard}, {}},
      {"open a file that cannot be read", true, "", OpenEvent, {Pick("/p/gone.kv")}, "fd 5", false, "/p/b.kv", {},
       {cannot_open}},
      {"new, changed, Cancel", true, " rt 9", NewEvent, {kCancel}, unsaved, true, "/p/b.kv", {kDiscard}, {}},
      {"new, changed, OK", true, " rt 9", NewEvent, {kOk}, "", false, "", {kDiscard}, {}},
      {"new, unchanged", true, "", NewEvent, {}, "", false, "", {}, {}},
      {"save to the current file", true, " rt 9", SaveEvent, {}, unsaved, false, "/p/b.kv", {}, {}},
      {"save without a file, dialog cancelled", false, "fd 1", SaveEvent, {kCancel}, "fd 1", true, "", {}, {}},
      {"save without a file, a name", false, "fd 1", SaveEvent, {Pick("/p/c.kv")}, "fd 1", false, "/p/c.kv", {}, {}},
      {"save as, cancelled", true, " rt 9", SaveAsEvent, {kCancel}, unsaved, true, "/p/b.kv", {}, {}},
      {"save as, a name", true, " rt 9", SaveAsEvent, {Pick("/p/c.kv")}, unsaved, false, "/p/c.kv", {}, {}},
      {"close, unchanged", true, "", CloseEvent, {}, "fd 5", false, "/p/b.kv", {}, {}, true},
      {"close, changed, Cancel", true, " rt 9", CloseEvent, {kCancel}, unsaved, true, "/p/b.kv", {kSaveQuestion}, {}},
      {"close, changed, No", true, " rt 9", CloseEvent, {kNo}, unsaved, true, "/p/b.kv", {kSaveQuestion}, {}, true},
      {"close, changed, Yes, a current file", true, " rt 9", CloseEvent, {kYes}, unsaved, false, "/p/b.kv",
       {kSaveQuestion}, {}, true},
      // A save that does not happen keeps the window and the change.
      {"close, changed, Yes, no file, dialog cancelled", false, "fd 1", CloseEvent, {kYes, kCancel}, "fd 1", true, "",
       {kSaveQuestion}, {}},
      {"close, changed, Yes, no file, a name", false, "fd 1", CloseEvent, {kYes, Pick("/p/c.kv")}, "fd 1", false,
       "/p/c.kv", {kSaveQuestion}, {}, true},
      {"drop one program", false, "", DropEvent({"/p/a.KV"}), {}, "fd 7", false, "/p/a.KV", {}, {}},
      {"drop on a change, Cancel", true, " rt 9", DropEvent({"/p/a.kv"}), {kCancel}, unsaved, true, "/p/b.kv",
       {kDiscard}, {}},
      {"drop on a change, OK", true, " rt 9", DropEvent({"/p/a.kv"}), {kOk}, kSquareText, false, "/p/a.kv",
       {kDiscard}, {}},
      {"drop two files", true, " rt 9", DropEvent({"/p/a.kv", "/p/b.kv"}), {}, unsaved, true, "/p/b.kv", {},
       {"ドロップするファイルは1つにしてください。"}},
      {"drop a file that is no program", true, " rt 9", DropEvent({"/p/notes.txt"}), {}, unsaved, true, "/p/b.kv", {},
       {}},
      {"drop a program that cannot be read", true, "", DropEvent({"/p/gone.kv"}), {}, "fd 5", false, "/p/b.kv", {},
       {cannot_open}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DocumentHarness fresh;
    if (c.from_b) fresh.OpenB(c.typed);
    else if (*c.typed != '\0') fresh.Type(c.typed);
    const std::string caption_before = fresh.front.caption;
    fresh.front.script.assign(c.script.begin(), c.script.end());
    fresh.Drive(c.event(fresh.document));
    EXPECT_TRUE(fresh.front.script.empty()) << "questions left unasked";
    EXPECT_EQ(fresh.front.editor, c.editor);
    EXPECT_EQ(fresh.document.Modified(), c.modified);
    // Changes given up at a close are no longer kept or asked about.
    EXPECT_EQ(fresh.document.HasUnsavedWork(), c.modified && !c.closed);
    EXPECT_EQ(fresh.document.FileName(), c.file);
    EXPECT_EQ(fresh.front.questions, c.questions);
    EXPECT_EQ(fresh.front.messages, c.messages);
    EXPECT_EQ(fresh.front.closed, c.closed);
    EXPECT_EQ(fresh.close_hook_ran, c.closed);
    EXPECT_EQ(fresh.front.progress_depth, 0) << "every progress ended";
    // The caption shows the current file once it changed, else it stays.
    const bool file_changed = c.file != (c.from_b ? "/p/b.kv" : "");
    EXPECT_EQ(fresh.front.caption, file_changed ? Caption(c.file) : caption_before);
    // What was saved is the editor's text.
    const bool wrote = std::count(fresh.front.requests.begin(), fresh.front.requests.end(), RequestKind::kWriteFile) > 0;
    if (wrote) {
      EXPECT_EQ(fresh.front.files[c.file], c.editor);
    }
  }
}

TEST_F(DocumentTest, AFailedWriteOrAnUnsavableCharacterChangesNothingAndKeepsTheWindow) {
  struct Failure {
    const char* name;
    const char* typed;
    bool unwritable;
    std::string message;
  };
  const Failure failures[] = {
      {"read-only file", " rt 9", true, "ファイル /p/b.kv を作成できません."},
      {"character without a Shift-JIS form", " 😀", false,
       "1 行目の文字「😀」(U+1F600) はシフトJISで保存できません."},
  };
  for (const Failure& f : failures) {
    for (const bool closing : {false, true}) {
      SCOPED_TRACE(std::string(f.name) + (closing ? ", on close" : ", on save"));
      DocumentHarness fresh;
      fresh.OpenB(f.typed);
      if (f.unwritable) fresh.front.unwritable.insert("/p/b.kv");
      fresh.front.script = {kYes};
      fresh.Drive(closing ? fresh.document.Close() : fresh.document.Save());
      if (!closing) {
        EXPECT_EQ(fresh.front.script.size(), 1u) << "save asks nothing";
      }
      EXPECT_EQ(fresh.front.messages, std::vector<std::string>{f.message});
      EXPECT_EQ(fresh.front.files["/p/b.kv"], "fd 5");
      EXPECT_TRUE(fresh.document.Modified());
      EXPECT_FALSE(fresh.front.closed);
      EXPECT_EQ(fresh.front.progress_depth, 0);
    }
  }
}

TEST_F(DocumentTest, LoadingChecksSizeEncodingAndCancelling) {
  struct Load {
    const char* name;
    std::string bytes;
    Answer fill;
    std::string editor;  // afterwards; "fd 5" when nothing changed
    std::vector<std::string> messages;
  };
  const std::string too_large(static_cast<std::size_t>(kMaxProgramFileBytes) + 1, 'a');
  const Load loads[] = {
      {"over the size limit", too_large, Answer::kDone, "fd 5", {"文字列の大きさが メモ の制限を越えました."}},
      {"UTF-8 with a notice", "\xEF\xBB\xBF" "まえに 10", Answer::kDone, "まえに 10",
       {"このファイルは UTF-8 として読み込みました。保存するとシフトJISになります。"}},
      {"filling the editor cancelled", "fd 9", Answer::kCancel, "fd 5", {}},
      {"filling the editor out of memory", "fd 9", Answer::kFailed, "fd 5", {"メモリが不足しています."}},
  };
  for (const Load& l : loads) {
    SCOPED_TRACE(l.name);
    DocumentHarness fresh;
    fresh.OpenB("");
    fresh.front.files["/p/new.kv"] = l.bytes;
    fresh.front.fill_answer = l.fill;
    fresh.front.script = {Pick("/p/new.kv")};
    fresh.Drive(fresh.document.Open());
    EXPECT_EQ(fresh.front.editor, l.editor);
    EXPECT_EQ(fresh.front.messages, l.messages);
    const bool loaded = l.editor != "fd 5";
    EXPECT_EQ(fresh.document.FileName(), loaded ? "/p/new.kv" : "/p/b.kv");
    EXPECT_EQ(fresh.front.progress_depth, 0);
  }
}

TEST_F(DocumentTest, AFileWithTheEditorsOwnTextLeavesTheFlagAsItIs) {
  OpenB(" rt 9");
  front.files["/p/same.kv"] = "fd 5 rt 9";
  front.script = {kOk, Pick("/p/same.kv")};
  Drive(document.Open());
  EXPECT_TRUE(document.Modified());
  EXPECT_EQ(document.FileName(), "/p/same.kv");
}

TEST_F(DocumentTest, UnchangedLinesAreSavedWithTheirOwnBytes) {
  // 0x8754 and 0xFA4A read as the same character; each line keeps its own code.
  front.files["/p/nec.kv"] = "\x87\x54\r\n\xFA\x4A";
  front.script = {Pick("/p/nec.kv")};
  Drive(document.Open());
  Type("\nfd 1");
  Drive(document.Save());
  EXPECT_EQ(front.files["/p/nec.kv"], "\x87\x54\r\n\xFA\x4A\r\nfd 1");
}

TEST_F(DocumentTest, TheSaveDialogOffersTheCurrentOrTheLastChosenName) {
  Type("fd 1");
  front.script = {Pick("/p/first.kv")};
  Drive(document.SaveAs());
  front.script = {kCancel};
  Drive(document.SaveAs());  // offers the current file
  front.script = {};
  Drive(document.New());
  front.script = {kCancel};
  Drive(document.SaveAs());  // no current file: the name last chosen
  front.script = {Pick("/p/second.kv")};
  Drive(document.Open());
  EXPECT_EQ(front.dialogs, (std::vector<std::string>{"", "/p/first.kv", "/p/first.kv", ""}));
}

TEST_F(DocumentTest, NewForgetsTheBackgroundAndClearsTheDrawing) {
  pictures.background_file_name = "/p/back.bmp";
  session.turtle.State().heading = 90;
  surface.SetPenColor(clRed);
  surface.Rectangle(0, 0, 50, 50);
  Drive(document.New());
  EXPECT_TRUE(pictures.background_file_name.empty());
  EXPECT_EQ(session.turtle.State().heading, 0);
  EXPECT_EQ(surface.PixelAt(1, 1), clWhite);
  EXPECT_EQ(front.caption, kTitle);
}

TEST_F(DocumentTest, CommandLineOpensOneArgumentHoldingKvOrKVAndKeepsTheTitle) {
  struct Start {
    std::vector<std::string> arguments;
    bool loaded;
  };
  const Start starts[] = {
      {{"/data/square.kv"}, true},   {{"/data/SQUARE.KV"}, true},  {{"/kvwork/notes.txt"}, true},
      {{"/data/square.Kv"}, false},  {{"/data/square.kV"}, false}, {{"/data/a.kv", "/data/b.kv"}, false},
      {{}, false},                   {{"with blank.kv"}, true},
  };
  for (const Start& s : starts) {
    DocumentHarness fresh;
    for (const std::string& argument : s.arguments) fresh.front.files[argument] = "fd 1";
    fresh.Drive(fresh.document.OpenAtStart(s.arguments));
    EXPECT_EQ(fresh.document.FileName(), s.loaded ? s.arguments.front() : "") << s.arguments.size();
    EXPECT_EQ(fresh.front.editor, s.loaded ? "fd 1" : "");
    EXPECT_EQ(fresh.front.caption, kTitle);
    EXPECT_TRUE(fresh.front.messages.empty());
  }
  Drive(document.OpenAtStart({"/p/gone.kv"}));
  EXPECT_EQ(front.messages, std::vector<std::string>{"ファイル /p/gone.kv は開けません."});
  EXPECT_EQ(document.FileName(), "");
}

TEST_F(DocumentTest, AKeptDraftIsShownAsUnsavedUntilItIsSaved) {
  Drive(document.Restore("fd 3", "/p/b.kv", true));
  EXPECT_EQ(front.editor, "fd 3");
  EXPECT_TRUE(document.Modified());
  EXPECT_EQ(front.caption, std::string(kTitle) + " /p/b.kv （未保存）");
  Drive(document.Save());
  EXPECT_EQ(front.files["/p/b.kv"], "fd 3");
  EXPECT_EQ(document.Caption(), std::string(kTitle) + " /p/b.kv");

  DocumentHarness clean;
  clean.Drive(clean.document.Restore("fd 4", "", false));
  EXPECT_FALSE(clean.document.Modified());
  EXPECT_EQ(clean.front.caption, kTitle);
}

// A program from a shared link: the question of 呼出 first, then an unsaved program
// without a file; a link that cannot be read changes nothing, and asks nothing.
TEST_F(DocumentTest, ASharedLinkOpensAsAnUnsavedProgramOrChangesNothing) {
  const std::string shared = "<script>alert(1)</script> fd 10";
  const std::string unsaved = "fd 5 rt 9";
  const std::string unsaved_caption = std::string(kTitle) + " （未保存）";
  const struct {
    const char* name;
    const char* typed;  // typed into /p/b.kv first ("": b.kv unchanged)
    SharedLink link;
    std::string text;
    std::vector<Choice> script;
    // Expected afterwards.
    std::string editor;
    std::string file;
    std::string caption;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
  } cases[] = {
      {"unchanged editor", "", SharedLink::kProgram, shared, {}, shared, "", unsaved_caption, {}, {}},
      {"changes, OK", " rt 9", SharedLink::kProgram, shared, {kOk}, shared, "", unsaved_caption, {kDiscard}, {}},
      {"changes, Cancel", " rt 9", SharedLink::kProgram, shared, {kCancel}, unsaved, "/p/b.kv", Caption("/p/b.kv"),
       {kDiscard}, {}},
      {"damaged", " rt 9", SharedLink::kDamaged, "", {}, unsaved, "/p/b.kv", Caption("/p/b.kv"), {},
       {kSharedLinkDamaged}},
      {"too long", "", SharedLink::kTooLong, "", {}, "fd 5", "/p/b.kv", Caption("/p/b.kv"), {}, {kSharedLinkTooLong}},
      {"a text over the limit", "", SharedLink::kProgram, std::string(kMaxSharedProgramBytes + 1, 'a'), {}, "fd 5",
       "/p/b.kv", Caption("/p/b.kv"), {}, {kSharedLinkTooLong}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DocumentHarness fresh;
    fresh.OpenB(c.typed);
    const bool modified_before = fresh.document.Modified();
    fresh.front.script.assign(c.script.begin(), c.script.end());
    fresh.Drive(fresh.document.OpenShared(c.link, c.text));
    EXPECT_TRUE(fresh.front.script.empty()) << "questions left unasked";
    EXPECT_EQ(fresh.front.editor, c.editor);
    EXPECT_EQ(fresh.document.FileName(), c.file);
    EXPECT_EQ(fresh.front.caption, c.caption);
    EXPECT_EQ(fresh.front.questions, c.questions);
    EXPECT_EQ(fresh.front.messages, c.messages);
    const bool opened = c.file.empty();
    EXPECT_EQ(fresh.document.HasUnsavedWork(), opened || modified_before) << "kept as a draft, asked about on leaving";
    // Saving a shared program never writes over the file shown before it.
    fresh.front.script = {Pick("/p/c.kv")};
    fresh.Drive(fresh.document.Save());
    EXPECT_EQ(fresh.front.files["/p/c.kv"], opened ? c.editor : "");
    EXPECT_EQ(fresh.front.files["/p/b.kv"], opened ? "fd 5" : c.editor);
  }
}

TEST_F(DocumentTest, ChangesGivenUpAtACloseCountAgainOnceTheUserTypes) {
  Type("fd 1");
  front.script = {kNo};
  Drive(document.Close());
  ASSERT_TRUE(front.closed);
  EXPECT_FALSE(document.HasUnsavedWork());
  Type(" rt 2");
  EXPECT_TRUE(document.HasUnsavedWork());

  front.script = {kNo};
  Drive(document.Close());
  Drive(document.Restore("fd 3", "", true));
  EXPECT_TRUE(document.HasUnsavedWork()) << "a restored draft is unsaved work";
}

TEST_F(DocumentTest, AnEventWhileAFlowWaitsIsDroppedAndTheFlowGoesOn) {
  OpenB(" rt 9");
  Request request = flows.Start(document.Open());
  ASSERT_EQ(request.kind, RequestKind::kAsk);
  EXPECT_FALSE(flows.Start(document.New())) << "dropped";
  EXPECT_TRUE(flows.Busy());
  front.script = {kOk, Pick("/p/a.kv")};
  front.Drive(flows, request);
  EXPECT_EQ(front.editor, kSquareText);
  EXPECT_FALSE(flows.Busy());
}

TEST_F(DocumentTest, AChangeMadeWhileTheFileIsWrittenKeepsTheProgramModified) {
  OpenB(" rt 9");
  front.on_write = [this] { Type(" fd 2"); };
  Drive(document.Save());
  EXPECT_EQ(front.files["/p/b.kv"], "fd 5 rt 9");
  EXPECT_TRUE(document.Modified());
}

}  // namespace
}  // namespace kurovel
