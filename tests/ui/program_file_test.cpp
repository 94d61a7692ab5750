// Program files: line breaks, NUL, exact bytes, round trips over every double-byte
// code, characters that cannot be saved, failed saves, and the editor rules.

#include "ui/program_file.h"

#include <gtest/gtest.h>

#include <QFile>

#include <string>
#include <vector>

#include "language/cp932.h"
#include "language/errors.h"
#include "tests/ui/files_test_support.h"
#include "ui/program_document.h"

namespace kurovel {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(ProgramFile, ReadsLinesUpToTheFirstNul) {
  struct Case {
    std::string bytes;
    QString text;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {"fd 100\r\nrt 90", "fd 100\nrt 90"},
      {"fd 100\r\nrt 90\r\n", "fd 100\nrt 90\n"},
      {"fd 100\nrt 90\n", "fd 100\nrt 90\n"},  // LF alone
      {"a\rb", "a\nb"},                         // CR alone
      {"a\n\rb", "a\n\nb"},                     // LF CR is two breaks
      {"a\r\r\nb", "a\n\nb"},
      {"\r\n", "\n"},
      {std::string("ab\0cd\r\nef", 10), "ab"},
      {std::string("\0\r\nx", 4), ""},
      {Sjis("まえに　１００\r\nみぎへ"), U("まえに　１００\nみぎへ")},
      {"\x83\x5c\r\n\x95\x5c", U("ソ\n表")},  // trail bytes that look like a backslash
  };
  for (const Case& c : cases) EXPECT_EQ(ProgramTextFromBytes(c.bytes), c.text) << c.bytes;
}

TEST(ProgramFile, WritesLinesJoinedByCrLf) {
  struct Case {
    QString text;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"fd 100\nrt 90", "fd 100\r\nrt 90"},  // 13 bytes
      {"fd 100\nrt 90\n", "fd 100\r\nrt 90\r\n"},
      {"", ""},
      {"\n", "\r\n"},
      {U("まえに　１００"), "\x82\xdc\x82\xa6\x82\xc9\x81\x40\x82\x50\x82\x4f\x82\x4f"},
      {U("\u301c"), "\x81\x60"},  // what Japanese input methods type for "〜"
      {U("\uff5e"), "\x81\x60"},
      {U("ｱｲｳ"), "\xb1\xb2\xb3"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProgramBytesFromText(c.text), c.bytes) << c.text.toStdString();
  EXPECT_EQ(ProgramBytesFromText("fd 100\nrt 90").size(), 13u);
  EXPECT_EQ(ProgramBytesFromText("fd 100\nrt 90\n").size(), 15u);
}

TEST(ProgramFile, RefusesCharactersShiftJisCannotHold) {
  struct Case {
    QString text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {U("fd 100\nrt 90 😀"), "2 行目の文字「😀」(U+1F600) はシフトJISで保存できません"},
      {U("\uFFFD"), "1 行目の文字「\uFFFD」(U+FFFD) はシフトJISで保存できません"},
      {U("まえに\n\nみぎへ 한"), "3 行目の文字「한」(U+D55C) はシフトJISで保存できません"},
      {U("e\u0301"), "1 行目の文字「\u0301」(U+0301) はシフトJISで保存できません"},
  };
  ScratchFolder folder;
  const QString path = folder.Path("p.kv");
  for (const Case& c : cases) {
    WriteBytes(path, "old");
    try {
      SaveProgramFile(path, c.text);
      FAIL() << c.message;
    } catch (const KurovelError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
    EXPECT_EQ(ReadBytes(path), "old");
  }
}

// Every double-byte code the converter reads, and every single-byte character.
std::string EveryCharacterFile() {
  std::string bytes;
  for (int c = 0x20; c <= 0xdf; ++c) {
    if (c < 0x7f || c > 0xa0) bytes.push_back(static_cast<char>(c));
  }
  int on_line = 0;
  for (int lead = 0x81; lead <= 0xfc; ++lead) {
    if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xfc; ++trail) {
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      if (Cp932ToUtf8(code) == "\xEF\xBF\xBD") continue;
      bytes += (on_line++ % 64 == 0) ? "\r\n" : "";
      bytes += code;
    }
  }
  return bytes + "\r\n";
}

TEST(ProgramFile, LoadSaveRoundTripIsByteExact) {
  ScratchFolder folder;
  const std::string original = EveryCharacterFile();
  ASSERT_GT(original.size(), 15000u);
  WriteBytes(folder.Path("all.kv"), original);

  EditorContent editor;
  QString current;
  OpenProgram(folder.Path("all.kv"), editor, current);
  SaveProgram(folder.Path("copy.kv"), editor, current);
  EXPECT_EQ(ReadBytes(folder.Path("copy.kv")), original);

  // An edited line is converted afresh; the untouched ones keep their own bytes.
  QStringList lines = editor.text.split('\n');
  lines[3] = "fd 1";
  editor.text = lines.join('\n');
  SaveProgram(folder.Path("copy.kv"), editor, current);
  std::vector<std::string> before;
  std::vector<std::string> after;
  for (auto* out : {&before, &after}) {
    const std::string bytes = out == &before ? original : ReadBytes(folder.Path("copy.kv"));
    for (std::size_t start = 0, end; start <= bytes.size(); start = end + 2) {
      end = std::min(bytes.find("\r\n", start), bytes.size());
      out->push_back(bytes.substr(start, end - start));
    }
  }
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], i == 3 ? "fd 1" : before[i]) << i;
}

TEST(ProgramFile, UndecodableBytesSurviveOnlyInUntouchedLines) {
  ScratchFolder folder;
  const std::string original = "fd 1 \x80\xa0\xfd\r\n\x81\x20x\r\nrt 9";
  WriteBytes(folder.Path("odd.kv"), original);
  EditorContent editor;
  QString current;
  OpenProgram(folder.Path("odd.kv"), editor, current);
  SaveProgram(folder.Path("odd.kv"), editor, current);
  EXPECT_EQ(ReadBytes(folder.Path("odd.kv")), original);
  editor.text.replace("fd 1", "fd 2");
  EXPECT_THROW(SaveProgram(folder.Path("odd.kv"), editor, current), KurovelError);
  EXPECT_EQ(ReadBytes(folder.Path("odd.kv")), original);
}

TEST(ProgramFile, LinesEndingInLfAloneAreSavedWithCrLf) {
  ScratchFolder folder;
  WriteBytes(folder.Path("lf.kv"), Sjis("まえに 10\nみぎへ 90\n"));
  EditorContent editor;
  QString current;
  OpenProgram(folder.Path("lf.kv"), editor, current);
  EXPECT_EQ(editor.text, U("まえに 10\nみぎへ 90\n"));
  SaveProgram(folder.Path("lf.kv"), editor, current);
  EXPECT_EQ(ReadBytes(folder.Path("lf.kv")), Sjis("まえに 10\r\nみぎへ 90\r\n"));
}

TEST(ProgramFile, FailuresNameThePathAndKeepTheOldFile) {
  ScratchFolder folder;
  const QString locked = folder.Path("locked.kv");
  WriteBytes(locked, "fd 1\r\n");
  QFile::setPermissions(locked, QFileDevice::ReadOwner);
  const QString missing_folder = folder.Path("nowhere/p.kv");
  for (const QString& path : {locked, missing_folder, folder.Path("")}) {
    try {
      SaveProgramFile(path, "rt 90");
      FAIL() << path.toStdString();
    } catch (const KurovelError& error) {
      EXPECT_EQ(std::string(error.what()), "ファイル " + path.toStdString() + " を作成できません");
    }
  }
  EXPECT_EQ(ReadBytes(locked), "fd 1\r\n");
  EXPECT_FALSE(QFile::exists(folder.Path("nowhere")));
  for (const QString& path : {folder.Path("gone.kv"), folder.Path("")}) {
    try {
      LoadProgramFile(path);
      FAIL() << path.toStdString();
    } catch (const KurovelError& error) {
      EXPECT_EQ(std::string(error.what()), "ファイル " + path.toStdString() + " は開けません");
    }
  }
}

TEST(ProgramFile, RefusesAFileTooLargeForTheEditor) {
  ScratchFolder folder;
  QFile big(folder.Path("big.kv"));
  ASSERT_TRUE(big.open(QIODevice::WriteOnly));
  ASSERT_TRUE(big.resize(kMaxProgramFileBytes + 1));  // sparse: nothing is written
  big.close();
  try {
    LoadProgramFile(folder.Path("big.kv"));
    FAIL();
  } catch (const KurovelError& error) {
    EXPECT_EQ(std::string(error.what()), "文字列の大きさが メモ の制限を越えました");
  }
}

TEST(ProgramDocument, CaptionShowsTheCurrentFile) {
  EXPECT_EQ(CaptionFor(""), "Kurovel Ver1.60 Taverin");
  EXPECT_EQ(CaptionFor(U("/home/u/作品/星.kv")), U("Kurovel Ver1.60 Taverin /home/u/作品/星.kv"));
}

TEST(ProgramDocument, FileNameAndModifiedFlagFollowOnlySuccessfulOperations) {
  ScratchFolder folder;
  WriteBytes(folder.Path("a.kv"), "fd 10\r\nrt 90");
  struct Case {
    const char* name;
    EditorContent editor;
    QString path;
    bool save;
    bool throws;
    QString text_after;
    bool modified_after;
    QString current_after;
  };
  const QString a = folder.Path("a.kv");
  const QString gone = folder.Path("gone.kv");
  const QString bad = folder.Path("missing/b.kv");
  const std::vector<Case> cases = {
      {"open_replaces", {"pd 1", true, {}}, a, false, false, "fd 10\nrt 90", false, a},
      {"open_same_text_keeps_flag", {"fd 10\nrt 90", true, {}}, a, false, false, "fd 10\nrt 90", true, a},
      {"open_failure_changes_nothing", {"pd 1", true, {}}, gone, false, true, "pd 1", true, "old"},
      {"save_clears_flag", {"pd 1", true, {}}, folder.Path("c.kv"), true, false, "pd 1", false, folder.Path("c.kv")},
      {"save_failure_keeps_flag", {"pd 1", true, {}}, bad, true, true, "pd 1", true, "old"},
  };
  for (Case c : cases) {
    QString current = "old";
    const auto run = [&] {
      if (c.save) {
        SaveProgram(c.path, c.editor, current);
      } else {
        OpenProgram(c.path, c.editor, current);
      }
    };
    if (c.throws) {
      EXPECT_THROW(run(), KurovelError) << c.name;
    } else {
      EXPECT_NO_THROW(run()) << c.name;
    }
    EXPECT_EQ(c.editor.text, c.text_after) << c.name;
    EXPECT_EQ(c.editor.modified, c.modified_after) << c.name;
    EXPECT_EQ(current, c.current_after) << c.name;
  }
  EditorContent editor{"pd 1", true, {}};
  QString current = a;
  NewProgram(editor, current);
  EXPECT_EQ(editor.text, "");
  EXPECT_FALSE(editor.modified);
  EXPECT_EQ(current, "");
  SaveProgram(folder.Path("empty.kv"), editor, current);
  EXPECT_EQ(ReadBytes(folder.Path("empty.kv")), "");
  OpenProgram(folder.Path("empty.kv"), editor, current);
  EXPECT_EQ(editor.text, "");
}

}  // namespace
}  // namespace kurovel
