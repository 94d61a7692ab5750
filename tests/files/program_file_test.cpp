// Program text in the desktop's strings: line breaks, NUL, exact bytes, the lines
// kept for saving, and the desktop's file reading and replacing.

#include "files/program_file.h"

#include <gtest/gtest.h>

#include "language/cp932.h"
#include "tests/files/files_test_support.h"
#include "files/file_replace.h"

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

// What the desktop answers when a flow reads or writes a program file.
TEST(ProgramFile, ReadingStopsPastTheLimitAndAFailedReplaceKeepsTheOldFile) {
  ScratchFolder folder;
  WriteBytes(folder.Path("locked.kv"), "fd 1\r\n");
  QFile::setPermissions(folder.Path("locked.kv"), QFileDevice::ReadOwner);
  for (const QString& path : {folder.Path("locked.kv"), folder.Path("nowhere/p.kv"), folder.Path("")}) {
    EXPECT_FALSE(ReplaceFileContents(path, "rt 90")) << path.toStdString();
  }
  EXPECT_EQ(ReadBytes(folder.Path("locked.kv")), "fd 1\r\n");
  EXPECT_FALSE(QFile::exists(folder.Path("nowhere")));
  QFile big(folder.Path("big.kv"));
  ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(kMaxProgramFileBytes + 1));  // sparse
  big.close();
  EXPECT_EQ(ReadFileHead(folder.Path("gone.kv"), 10), std::nullopt);
  EXPECT_EQ(ReadFileHead(folder.Path(""), 10), std::nullopt);
  EXPECT_EQ(ReadFileHead(folder.Path("locked.kv"), 10), std::optional<std::string>("fd 1\r\n"));
  EXPECT_EQ(ReadFileHead(folder.Path("locked.kv"), 2), std::optional<std::string>("fd "));
  EXPECT_EQ(ReadFileHead(folder.Path("big.kv"), 100)->size(), 101u);
}

}  // namespace
}  // namespace kurovel::test
