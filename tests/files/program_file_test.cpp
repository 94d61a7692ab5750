// Program files: line breaks, NUL, exact bytes, a round trip over every double-byte
// code, characters that cannot be saved, failed saves, and the editor rules.

#include "files/program_file.h"

#include <gtest/gtest.h>

#include "language/cp932.h"
#include "tests/files/files_test_support.h"
#include "files/program_document.h"

namespace kurovel::test {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(ProgramFile, ReadsLinesUpToTheFirstNulAndWritesThemWithCrLf) {
  const std::pair<std::string, QString> reads[] = {
      {"", ""},
      {"fd 100\nrt 90\n", "fd 100\nrt 90\n"},
      {"a\rb", "a\nb"},
      {"a\n\rb", "a\n\nb"},
      {"a\r\r\nb", "a\n\nb"},
      {std::string("ab\0cd\r\nef", 10), "ab"},
      {std::string("\0\r\nx", 4), ""},
      {"\x83\x5c\r\n\x95\x5c", U("ソ\n表")},  // trail bytes that look like a backslash
      {"\x82\r\n\x82\nx", U("\uFFFD\n\uFFFD\nx")}};  // a lead byte before a break is one bad byte
  for (const auto& [bytes, text] : reads) EXPECT_EQ(ProgramTextFromBytes(bytes), text) << bytes;

  const std::pair<QString, std::string> writes[] = {
      {"fd 100\nrt 90", "fd 100\r\nrt 90"},
      {"fd 100\nrt 90\n", "fd 100\r\nrt 90\r\n"},
      {"", ""},
      {"\n", "\r\n"},
      {U("まえに　１００"), "\x82\xdc\x82\xa6\x82\xc9\x81\x40\x82\x50\x82\x4f\x82\x4f"},
      {U("ｱｲｳ"), "\xb1\xb2\xb3"}};
  for (const auto& [text, bytes] : writes) {
    EXPECT_EQ(ProgramBytesFromText(text), bytes) << text.toStdString();
    EXPECT_EQ(ProgramTextFromBytes(bytes), text);
  }
  // 81 60 reads as the full-width tilde; the wave dash U+301C, which input methods
  // type, would be written as 81 60 too and come back as the tilde: it is refused.
  EXPECT_EQ(ProgramBytesFromText(U("\uff5e")), "\x81\x60");
}

// Files from other editors show their own characters; saving writes Shift-JIS and
// refuses what Shift-JIS cannot hold.
TEST(ProgramFile, ReadsUtf8AndUtf16AndSavesShiftJis) {
  ScratchFolder folder;
  const struct {
    std::string bytes;
    TextEncoding encoding;
    QString text;
  } cases[] = {
      {"まえに　１００\nみぎへ\n", TextEncoding::kUtf8, U("まえに　１００\nみぎへ\n")},
      {"\xEF\xBB\xBF" "fd 1\r\nrt 9", TextEncoding::kUtf8, U("fd 1\nrt 9")},
      {std::string("\xFF\xFE" "a\0\r\0b\0\0\0c\0", 12), TextEncoding::kUtf16Le, U("a\nb")},
      {"fd 1 😀\n", TextEncoding::kUtf8, U("fd 1 😀\n")},
      {"\x82\xa0\r\n", TextEncoding::kShiftJis, U("あ\n")},
  };
  for (const auto& c : cases) {
    WriteBytes(folder.Path("u.kv"), c.bytes);
    EditorContent editor;
    QString current;
    EXPECT_EQ(LoadIntoEditor(folder.Path("u.kv"), editor, current), c.encoding) << c.bytes;
    EXPECT_EQ(editor.text, c.text) << c.bytes;
    EXPECT_EQ(ReadEncodingNotice(c.encoding).empty(), c.encoding == TextEncoding::kShiftJis);
  }
  EditorContent editor;
  QString current;
  WriteBytes(folder.Path("u.kv"), "まえに\n");
  LoadIntoEditor(folder.Path("u.kv"), editor, current);
  SaveFromEditor(folder.Path("u.kv"), editor, current);
  EXPECT_EQ(ReadBytes(folder.Path("u.kv")), "\x82\xdc\x82\xa6\x82\xc9\r\n");
}

TEST(ProgramFile, RefusesCharactersShiftJisCannotHoldAndWritesNothing) {
  const std::pair<QString, std::string> cases[] = {
      {U("fd 100\nrt 90 😀"), "2 行目の文字「😀」(U+1F600) はシフトJISで保存できません"},
      {U("\uFFFD"), "1 行目の文字「\uFFFD」(U+FFFD) はシフトJISで保存できません"},
      {U("まえに\n\nみぎへ 한"), "3 行目の文字「한」(U+D55C) はシフトJISで保存できません"},
      {U("e\u0301"), "1 行目の文字「\u0301」(U+0301) はシフトJISで保存できません"},
      // Written as the code of a look-alike, they would read back as that one.
      {U("§§£"), "1 行目の文字「£」(U+00A3) はシフトJISで保存できません"},
      {U("fd 10\nrt 90 〜"), "2 行目の文字「〜」(U+301C) はシフトJISで保存できません"},
      {U("¥100"), "1 行目の文字「¥」(U+00A5) はシフトJISで保存できません"},
      {U("fd\U000E0041"), "1 行目の文字「\U000E0041」(U+E0041) はシフトJISで保存できません"}};
  ScratchFolder folder;
  WriteBytes(folder.Path("p.kv"), "old");
  for (const auto& [text, message] : cases) {
    EXPECT_EQ(ErrorOf([&] { SaveProgramFile(folder.Path("p.kv"), text); }), message);
    EXPECT_EQ(ReadBytes(folder.Path("p.kv")), "old");
  }
}

// Every single-byte character and every double-byte code the converter reads.
std::string EveryCharacterFile() {
  std::string bytes;
  for (int c = 0x20; c <= 0xdf; ++c) bytes += c < 0x7f || c > 0xa0 ? std::string(1, static_cast<char>(c)) : "";
  for (int lead = 0x81, on_line = 0; lead <= 0xfc; ++lead) {
    for (int trail = 0x40; trail <= 0xfc && IsLeadByte(static_cast<unsigned char>(lead)); ++trail) {
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      if (Cp932ToUtf8(code) != "\xEF\xBF\xBD") bytes += (on_line++ % 64 == 0 ? "\r\n" : "") + code;
    }
  }
  return bytes + "\r\n";
}

TEST(ProgramFile, LoadSaveRoundTripIsByteExact) {
  ScratchFolder folder;
  const std::string all = EveryCharacterFile();
  const std::string odd = "fd 1 \x80\xa0\xfd\r\n\x81\x20x\r\nrt 9";  // undecodable bytes
  const std::pair<std::string, std::string> trips[] = {{all, all}, {odd, odd}, {"fd 1\nrt 9\n", "fd 1\r\nrt 9\r\n"},
                                                   {"\x82\r\n\x82\nx", "\x82\r\n\x82\r\nx"}};
  for (const auto& [original, saved] : trips) {
    WriteBytes(folder.Path("a.kv"), original);
    EditorContent editor;
    QString current;
    LoadIntoEditor(folder.Path("a.kv"), editor, current);
    SaveFromEditor(folder.Path("b.kv"), editor, current);
    EXPECT_EQ(ReadBytes(folder.Path("b.kv")), saved);
  }
  ASSERT_GT(all.size(), 15000u);

  // An edited line is converted afresh, the untouched ones keep their own bytes,
  // and an edited line with an undecodable character is refused.
  EditorContent editor;
  QString current;
  WriteBytes(folder.Path("a.kv"), all);
  LoadIntoEditor(folder.Path("a.kv"), editor, current);
  QStringList lines = editor.text.split('\n');
  lines[3] = "fd 1";
  editor.text = lines.join('\n');
  SaveFromEditor(folder.Path("b.kv"), editor, current);
  QList<QByteArray> expected = QByteArray::fromStdString(all).split('\n');
  expected[3] = "fd 1\r";
  EXPECT_EQ(ReadBytes(folder.Path("b.kv")), expected.join('\n').toStdString());
  editor.text = U("\uFFFD");
  EXPECT_THROW(SaveFromEditor(folder.Path("b.kv"), editor, current), KurovelError);
}

// Only lines the converter would write differently are kept; a line with such a
// text takes its own bytes where it was read, the first such line's elsewhere.
TEST(ProgramFile, KeptLinesFollowTheirTextAndPlaceOnSaving) {
  const std::string nec = "\xED\x40";  // NEC-selected IBM extension; the converter writes the IBM code
  const std::string ibm = "\xFA\x5C";
  ASSERT_EQ(Cp932ToUtf8(nec), Cp932ToUtf8(ibm));
  const QString same = QString::fromStdString(Cp932ToUtf8(nec));
  SourceLines source(nec + "\r\nx\r\n" + ibm);
  const struct {
    QString text;
    std::string bytes;
  } saves[] = {
      {same + "\nx\n" + same, nec + "\r\nx\r\n" + ibm},
      {"x\n" + same + "\n" + same + "\n" + same, "x\r\n" + nec + "\r\n" + ibm + "\r\n" + nec},
      {same, nec},
  };
  for (const auto& save : saves) EXPECT_EQ(ProgramBytesFromText(save.text, source), save.bytes) << save.bytes;
  EXPECT_EQ(ProgramBytesFromText(same), ibm);  // without the source: the converter's code

  // Every ASCII byte reads and writes as itself, which lets saving skip such lines.
  std::string ascii;
  for (int c = 1; c < 0x80; ++c) {
    if (c != '\r' && c != '\n') ascii += static_cast<char>(c);
  }
  EXPECT_EQ(Cp932ToUtf8(ascii), ascii);
  EXPECT_EQ(Utf8ToCp932(ascii).bytes, ascii);
}

TEST(ProgramFile, FailuresNameThePathAndKeepTheOldFile) {
  ScratchFolder folder;
  WriteBytes(folder.Path("locked.kv"), "fd 1\r\n");
  QFile::setPermissions(folder.Path("locked.kv"), QFileDevice::ReadOwner);
  for (const QString& path : {folder.Path("locked.kv"), folder.Path("nowhere/p.kv"), folder.Path("")}) {
    EXPECT_EQ(ErrorOf([&] { SaveProgramFile(path, "rt 90"); }), "ファイル " + path.toStdString() + " を作成できません");
  }
  EXPECT_EQ(ReadBytes(folder.Path("locked.kv")), "fd 1\r\n");
  EXPECT_FALSE(QFile::exists(folder.Path("nowhere")));
  QFile big(folder.Path("big.kv"));
  ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(kMaxProgramFileBytes + 1));  // sparse
  big.close();
  const std::pair<QString, std::string> loads[] = {
      {folder.Path("gone.kv"), "ファイル " + folder.PathUtf8("gone.kv") + " は開けません"},
      {folder.Path(""), "ファイル " + folder.PathUtf8("") + " は開けません"},
      {folder.Path("big.kv"), "文字列の大きさが メモ の制限を越えました"}};
  for (const auto& [path, message] : loads) {
    EXPECT_EQ(ErrorOf([&] { LoadProgramFile(path); }), message);
  }
}

TEST(ProgramDocument, CaptionFileNameAndFlagFollowOnlySuccessfulOperations) {
  ScratchFolder folder;
  const QString a = folder.Path("a.kv"), c = folder.Path("c.kv"), gone = folder.Path("gone.kv"),
                bad = folder.Path("missing/b.kv");
  WriteBytes(a, "fd 10\r\nrt 90");
  struct Case {
    const char* name;
    QString editor_text;
    QString path;
    bool save, throws;
    QString text;
    bool modified;
    QString current;
  };
  const Case cases[] = {
      {"open replaces", "pd 1", a, false, false, "fd 10\nrt 90", false, a},
      {"open of the same text keeps the flag", "fd 10\nrt 90", a, false, false, "fd 10\nrt 90", true, a},
      {"failed open", "pd 1", gone, false, true, "pd 1", true, "old"},
      {"save", "pd 1", c, true, false, "pd 1", false, c},
      {"failed save", "pd 1", bad, true, true, "pd 1", true, "old"}};
  for (const Case& t : cases) {
    EditorContent editor{t.editor_text, true, {}};
    QString current = "old";
    const std::string error =
        ErrorOf([&] { t.save ? SaveFromEditor(t.path, editor, current) : void(LoadIntoEditor(t.path, editor, current)); });
    EXPECT_EQ(error != "<no error>", t.throws) << t.name;
    EXPECT_EQ(editor.text, t.text) << t.name;
    EXPECT_EQ(editor.modified, t.modified) << t.name;
    EXPECT_EQ(current, t.current) << t.name;
  }
  EditorContent editor{"pd 1", true, {}};
  QString current = a;
  EmptyEditor(editor, current);
  SaveFromEditor(folder.Path("empty.kv"), editor, current);
  EXPECT_EQ(ReadBytes(folder.Path("empty.kv")), "");
  EXPECT_FALSE(editor.modified);
}

}  // namespace
}  // namespace kurovel::test
