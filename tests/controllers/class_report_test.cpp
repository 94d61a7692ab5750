// The class report's text: order, summary, escaping, the embedded pictures and
// the CSV a spreadsheet reads.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controllers/class_report.h"

namespace kurovel {
namespace {

ClassReportRow Row(std::string name, ClassOutcome outcome, std::optional<bool> passed = std::nullopt) {
  ClassReportRow row;
  row.file_name = std::move(name);
  row.outcome = outcome;
  if (passed) row.verdict = ExerciseVerdict{4, *passed, *passed ? "できました！" : "まだ線がありません"};
  return row;
}

std::vector<std::string> Names(const ClassReport& report) {
  std::vector<std::string> names;
  for (const ClassReportRow* row : ReportOrder(report)) names.push_back(row->file_name);
  return names;
}

TEST(ClassReport, ListsWhatDidNotSucceedFirstThenByName) {
  ClassReport report;
  report.rows = {Row("pupil10.kv", ClassOutcome::kFinished, true), Row("pupil2.kv", ClassOutcome::kFinished, false),
                 Row("pupil9.kv", ClassOutcome::kError, true), Row("Pupil1.kv", ClassOutcome::kFinished, true),
                 Row("pupil1.kv", ClassOutcome::kUnreadable)};
  EXPECT_EQ(Names(report), (std::vector<std::string>{"pupil1.kv", "pupil9.kv", "Pupil1.kv", "pupil2.kv", "pupil10.kv"}));
  EXPECT_EQ(ClassSummary(report), "5 本を実行しました（最後まで実行 3、エラー 1、読めません 1）");

  report.exercise = FindExercise(4);
  EXPECT_EQ(Names(report), (std::vector<std::string>{"pupil1.kv", "pupil2.kv", "Pupil1.kv", "pupil9.kv", "pupil10.kv"}));
  EXPECT_EQ(ClassSummary(report), "5 本中 3 本が合格（課題４\u3000正５角形）");
}

TEST(ClassReport, HtmlEscapesEveryTextAndEmbedsEachDrawing) {
  ClassReport report;
  report.folder = "5年<1組>";
  report.exercise = FindExercise(1);
  ClassReportRow hostile = Row("<img src=x onerror=alert(1)>&\"'.kv", ClassOutcome::kError, false);
  hostile.detail = "1 行目：'<b>' は整数ではありません.";
  hostile.png = "abcd";  // any bytes: the report only embeds them
  report.rows = {hostile, Row("gone.kv", ClassOutcome::kUnreadable)};
  const std::string html = ClassReportHtml(report);
  EXPECT_EQ(html.find("<img src=x"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_NE(html.find("&lt;img src=x onerror=alert(1)&gt;&amp;&quot;&#39;.kv"), std::string::npos);
  EXPECT_NE(html.find("<title>5年&lt;1組&gt; のまとめ（課題１\u3000正方形）</title>"), std::string::npos);
  EXPECT_NE(html.find("src=\"data:image/png;base64,YWJjZA==\""), std::string::npos);
  // One picture, for the row that has one; no script at all.
  EXPECT_EQ(html.find("<img", html.find("<img") + 1), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
}

TEST(ClassReport, Base64OfEveryRemainderLength) {
  const struct {
    std::string bytes, base64;
  } cases[] = {{"a", "YQ=="}, {"ab", "YWI="}, {"abc", "YWJj"}, {std::string("\xFF\x00\x80", 3), "/wCA"}};
  for (const auto& c : cases) {
    ClassReport report;
    ClassReportRow row = Row("a.kv", ClassOutcome::kFinished);
    row.png = c.bytes;
    report.rows = {row};
    EXPECT_NE(ClassReportHtml(report).find("base64," + c.base64 + "\""), std::string::npos) << c.base64;
  }
}

TEST(ClassReport, CsvForASpreadsheet) {
  ClassReport report;
  ClassReportRow formula = Row("=HYPERLINK(\"x\").kv", ClassOutcome::kFinished, true);
  formula.commands = 12;
  ClassReportRow limited = Row("-loop.kv", ClassOutcome::kLimit, false);
  limited.detail = "命令が 1000000 回に達しました";
  limited.commands = 1000000;
  report.rows = {formula, limited};
  EXPECT_EQ(ClassReportCsv(report),
            "\xEF\xBB\xBF\"ファイル\",\"実行\",\"実行の詳細\",\"命令の数\"\r\n"
            "\"'-loop.kv\",\"制限で停止\",\"命令が 1000000 回に達しました\",\"1000000\"\r\n"
            "\"'=HYPERLINK(\"\"x\"\").kv\",\"最後まで実行\",\"\",\"12\"\r\n");
  report.exercise = FindExercise(4);
  EXPECT_EQ(ClassReportCsv(report),
            "\xEF\xBB\xBF\"ファイル\",\"実行\",\"実行の詳細\",\"判定\",\"判定の言葉\",\"命令の数\"\r\n"
            "\"'-loop.kv\",\"制限で停止\",\"命令が 1000000 回に達しました\",\"不合格\",\"まだ線がありません\",\"1000000\"\r\n"
            "\"'=HYPERLINK(\"\"x\"\").kv\",\"最後まで実行\",\"\",\"合格\",\"できました！\",\"12\"\r\n");
}

}  // namespace
}  // namespace kurovel
