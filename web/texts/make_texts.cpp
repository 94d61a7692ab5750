// Writes the fixed texts that the browser page shows as one JSON object, taken
// from the desktop program's own tables so that both show the same bytes.
//
//   make_texts > texts.json

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "controllers/help_texts.h"
#include "controllers/insertion_items.h"
#include "controllers/run_speed.h"
#include "controllers/window_texts.h"
#include "controllers/window_title.h"
#include "engine/limits.h"
#include "files/program_text.h"
#include "language/errors.h"
#include "language/runner.h"
#include "language/text_encoding.h"

namespace {

using namespace kurovel;

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;  // UTF-8 passes through unchanged
    }
  }
  return out + "\"";
}

std::string Lines(std::span<const std::string_view> lines) {
  std::string out = "[";
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? ", " : "") + Quoted(lines[i]);
  return out + "]";
}

std::string_view KindName(MenuItemKind kind) {
  switch (kind) {
    case MenuItemKind::kInsert: return "insert";
    case MenuItemKind::kSubMenu: return "submenu";
    case MenuItemKind::kCopy: return "copy";
    case MenuItemKind::kPaste: return "paste";
  }
  return "insert";
}

std::string MenuItems() {
  std::string out = "[";
  bool first = true;
  for (const PopupMenuItem& item : PopupMenuItems()) {
    out += first ? "\n    " : ",\n    ";
    first = false;
    out += "{\"name\": " + Quoted(item.name) + ", \"caption\": " + Quoted(item.caption) +
           ", \"kind\": " + Quoted(KindName(item.kind)) +
           ", \"inVariables\": " + (item.in_variables ? "true" : "false") + ", \"text\": " + Quoted(item.text) + "}";
  }
  return out + "\n  ]";
}

// The speed menu's items in menu order: caption and the key the choice is remembered by.
std::string Speeds() {
  std::string out = "[";
  for (std::size_t i = 0; i < kRunSpeeds.size(); ++i) {
    out += (i ? ", " : "") + std::string("{\"caption\": ") + Quoted(kRunSpeeds[i].caption) +
           ", \"key\": " + Quoted(kRunSpeeds[i].key) + "}";
  }
  return out + "]";
}

}  // namespace

int main() {
  const std::pair<std::string_view, std::string_view> fields[] = {
      {"applicationTitle", kApplicationTitle},
      {"titleText", kTitleText},
      {"warningCaption", kWarningCaptionFile},
      {"warningDiscard", kWarningDiscard},
      {"warningSave", kWarningSave},
      {"dropOneFile", kDropOneFile},
      {"runWarningCaption", kWarningCaption},
      {"clipboardUnavailable", kClipboardUnavailable},
      {"speedMenu", kSpeedMenuCaption},
      {"helpCaption", kHelpCaption},
      {"helpClose", kHelpCloseCaption},
      {"versionTab", kVersionTabCaption},
      {"commandListTab", kCommandListTabCaption},
      {"exerciseTab", kExerciseTabCaption},
      {"sampleProgramTab", kSampleProgramTabCaption},
      {"checkAnswer", kCheckAnswerCaption},
      {"productTitle", kProductTitle},
      {"versionLabel", kVersionLabel},
      {"editionDate", kEditionDate},
      {"aimLine1", kAimLine1},
      {"aimLine2", kAimLine2},
  };
  std::string json = "{\n";
  for (const auto& [key, value] : fields) json += "  " + Quoted(key) + ": " + Quoted(value) + ",\n";
  json += "  \"versionNote\": " + Lines(VersionNoteLines()) + ",\n";
  json += "  \"commandList\": " + Lines(CommandListLines()) + ",\n";
  json += "  \"exercises\": " + Lines(ExerciseLines()) + ",\n";
  json += "  \"samplePrograms\": " + Lines(SampleProgramLines()) + ",\n";
  // The notice after reading a program file, by the encoding name the module reports.
  json += "  \"readAsNotice\": {";
  bool first_encoding = true;
  for (const TextEncoding encoding : {TextEncoding::kUtf8, TextEncoding::kUtf16Le, TextEncoding::kUtf16Be}) {
    json += (first_encoding ? "" : ", ") + Quoted(EncodingName(encoding)) + ": " + Quoted(ReadEncodingNotice(encoding));
    first_encoding = false;
  }
  json += "},\n";
  json += "  \"speeds\": " + Speeds() + ",\n";
  // The error box of a file that cannot be written, around its name (a PNG picture
  // saved by the page says it as the desktop's pictures do).
  const std::string marker = "\x01";
  const std::string cannot_create = ErrorBoxText(CannotCreateMessage(marker));
  const std::size_t name_at = cannot_create.find(marker);
  json += "  \"cannotCreate\": [" + Quoted(cannot_create.substr(0, name_at)) + ", " +
          Quoted(cannot_create.substr(name_at + marker.size())) + "],\n";
  // What a share link may hold (the page checks both while it reads a link).
  json += "  \"shareLimits\": {\"maxLinkChars\": " + std::to_string(kMaxLinkChars) +
          ", \"maxProgramBytes\": " + std::to_string(kMaxSharedProgramBytes) + "},\n";
  json += "  \"menuItems\": " + MenuItems() + "\n}\n";
  std::fputs(json.c_str(), stdout);
  return std::ferror(stdout) ? 1 : 0;
}
