// The class report's HTML and CSV, and every text of it.

#include "controllers/class_report.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <utility>

namespace kurovel {
namespace {

constexpr std::array<std::pair<ClassOutcome, std::string_view>, 7> kOutcomeLabels{{
    {ClassOutcome::kFinished, "最後まで実行"},
    {ClassOutcome::kError, "エラー"},
    {ClassOutcome::kUnbalanced, "繰り返しの対が不一致"},
    {ClassOutcome::kLimit, "制限で停止"},
    {ClassOutcome::kUnreadable, "読めません"},
    {ClassOutcome::kNotAProgram, "プログラムではありません"},
    {ClassOutcome::kCrashed, "内部エラー"},
}};
constexpr std::string_view kPassedLabel = "合格";
constexpr std::string_view kFailedLabel = "不合格";
constexpr std::string_view kFileHeading = "ファイル";
constexpr std::string_view kOutcomeHeading = "実行";
constexpr std::string_view kDetailHeading = "実行の詳細";
constexpr std::string_view kVerdictHeading = "判定";
constexpr std::string_view kMessageHeading = "判定の言葉";
constexpr std::string_view kCommandsHeading = "命令の数";
constexpr std::string_view kDrawingHeading = "絵";

// Shrunk drawings in the table; a click shows the drawing at full size.
constexpr std::string_view kStyle = R"(
body { font-family: sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.4em; }
.summary { font-size: 1.2em; font-weight: bold; }
table { border-collapse: collapse; }
th, td { border: 1px solid #bbb; padding: 0.3em 0.6em; text-align: left; vertical-align: middle; }
th { background: #eee; }
tr.failed td { background: #fff4f0; }
td.number { text-align: right; }
.passed { color: #060; font-weight: bold; }
.failed-label { color: #b00; font-weight: bold; }
.drawing input { position: absolute; opacity: 0; width: 0; height: 0; }
.drawing img { display: block; width: 160px; height: auto; border: 1px solid #999; background: #fff; cursor: zoom-in; }
.drawing input:focus-visible + img { outline: 3px solid #36c; }
.drawing input:checked + img { position: fixed; inset: 0; margin: auto; width: auto; max-width: 95vw;
  max-height: 95vh; z-index: 10; cursor: zoom-out; box-shadow: 0 0 0 100vmax rgba(0, 0, 0, 0.6); }
)";

std::string_view OutcomeLabel(ClassOutcome outcome) {
  for (const auto& [value, label] : kOutcomeLabels) {
    if (value == outcome) return label;
  }
  return {};  // unreachable: every outcome has a row
}

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Base64(std::string_view bytes) {
  static constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
  }
  return out;
}

// A CSV field: quoted, quotes doubled; one that starts like a formula gets an
// apostrophe first, so a spreadsheet shows it instead of computing it.
std::string CsvField(std::string_view text) {
  std::string out = "\"";
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) out += '\'';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// File names in reading order: runs of digits compare as numbers, so that
// "pupil2" comes before "pupil10".
bool NaturalLess(std::string_view a, std::string_view b) {
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      std::size_t ei = i;
      std::size_t ej = j;
      while (ei < a.size() && digit(a[ei])) ++ei;
      while (ej < b.size() && digit(b[ej])) ++ej;
      std::string_view na = a.substr(i, ei - i);
      std::string_view nb = b.substr(j, ej - j);
      while (na.size() > 1 && na.front() == '0') na.remove_prefix(1);
      while (nb.size() > 1 && nb.front() == '0') nb.remove_prefix(1);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ei;
      j = ej;
    } else {
      if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
      ++i;
      ++j;
    }
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
  return a < b;
}

std::string OutcomeText(const ClassReportRow& row) {
  std::string text(OutcomeLabel(row.outcome));
  if (!row.detail.empty()) text += "：" + row.detail;
  return text;
}

std::string HtmlRow(const ClassReport& report, const ClassReportRow& row) {
  std::string out = RowSucceeded(report, row) ? "<tr>" : "<tr class=\"failed\">";
  out += "<td>";
  if (row.png.empty()) {
    out += "－";
  } else {
    out += "<label class=\"drawing\" title=\"クリックで大きく\"><input type=\"checkbox\"><img alt=\"" +
           HtmlEscaped(row.file_name) + " の絵\" src=\"data:image/png;base64," + Base64(row.png) + "\"></label>";
  }
  out += "</td><td>" + HtmlEscaped(row.file_name) + "</td><td>" + HtmlEscaped(OutcomeText(row)) + "</td>";
  if (report.exercise != nullptr) {
    out += "<td>";
    if (row.verdict) {
      out += row.verdict->passed ? "<span class=\"passed\">" : "<span class=\"failed-label\">";
      out += std::string(row.verdict->passed ? kPassedLabel : kFailedLabel) + "</span> " +
             HtmlEscaped(row.verdict->message);
    }
    out += "</td>";
  }
  out += "<td class=\"number\">" + std::to_string(row.commands) + "</td></tr>\n";
  return out;
}

}  // namespace

bool RowSucceeded(const ClassReport& report, const ClassReportRow& row) {
  if (report.exercise != nullptr) return row.verdict && row.verdict->passed;
  return row.outcome == ClassOutcome::kFinished;
}

std::string ClassSummary(const ClassReport& report) {
  const std::string total = std::to_string(report.rows.size());
  if (report.exercise != nullptr) {
    const auto passed = std::count_if(report.rows.begin(), report.rows.end(),
                                      [&](const ClassReportRow& row) { return RowSucceeded(report, row); });
    return total + " 本中 " + std::to_string(passed) + " 本が合格（" + ExerciseTitle(*report.exercise) + "）";
  }
  std::string counts;
  for (const auto& [outcome, label] : kOutcomeLabels) {
    const auto n = std::count_if(report.rows.begin(), report.rows.end(),
                                 [outcome = outcome](const ClassReportRow& row) { return row.outcome == outcome; });
    if (n == 0) continue;
    counts += (counts.empty() ? "" : "、") + std::string(label) + " " + std::to_string(n);
  }
  return total + " 本を実行しました" + (counts.empty() ? "" : "（" + counts + "）");
}

std::vector<const ClassReportRow*> ReportOrder(const ClassReport& report) {
  std::vector<const ClassReportRow*> order;
  for (const ClassReportRow& row : report.rows) order.push_back(&row);
  std::stable_sort(order.begin(), order.end(), [&](const ClassReportRow* a, const ClassReportRow* b) {
    const bool a_done = RowSucceeded(report, *a);
    const bool b_done = RowSucceeded(report, *b);
    if (a_done != b_done) return !a_done;
    return NaturalLess(a->file_name, b->file_name);
  });
  return order;
}

std::string ClassReportHtml(const ClassReport& report) {
  std::string title = report.folder + " のまとめ";
  if (report.exercise != nullptr) title += "（" + ExerciseTitle(*report.exercise) + "）";
  std::string out = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                    HtmlEscaped(title) + "</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
  out += "<h1>" + HtmlEscaped(title) + "</h1>\n<p class=\"summary\">" + HtmlEscaped(ClassSummary(report)) + "</p>\n";
  out += "<table>\n<thead><tr><th>" + std::string(kDrawingHeading) + "</th><th>" + std::string(kFileHeading) +
         "</th><th>" + std::string(kOutcomeHeading) + "</th>";
  if (report.exercise != nullptr) out += "<th>" + std::string(kVerdictHeading) + "</th>";
  out += "<th>" + std::string(kCommandsHeading) + "</th></tr></thead>\n<tbody>\n";
  for (const ClassReportRow* row : ReportOrder(report)) out += HtmlRow(report, *row);
  out += "</tbody>\n</table>\n</body>\n</html>\n";
  return out;
}

std::string ClassReportCsv(const ClassReport& report) {
  std::string out = "\xEF\xBB\xBF";  // a byte order mark, by which spreadsheets know UTF-8
  std::vector<std::string_view> headings{kFileHeading, kOutcomeHeading, kDetailHeading};
  if (report.exercise != nullptr) headings.insert(headings.end(), {kVerdictHeading, kMessageHeading});
  headings.push_back(kCommandsHeading);
  for (std::size_t i = 0; i < headings.size(); ++i) out += (i == 0 ? "" : ",") + CsvField(headings[i]);
  out += "\r\n";
  for (const ClassReportRow* row : ReportOrder(report)) {
    out += CsvField(row->file_name) + "," + CsvField(OutcomeLabel(row->outcome)) + "," + CsvField(row->detail);
    if (report.exercise != nullptr) {
      const bool checked = row->verdict.has_value();
      out += "," + CsvField(checked ? (row->verdict->passed ? kPassedLabel : kFailedLabel) : "") + "," +
             CsvField(checked ? row->verdict->message : "");
    }
    out += "," + CsvField(std::to_string(row->commands)) + "\r\n";
  }
  return out;
}

}  // namespace kurovel
