#include "ui/program_editor.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

namespace kurovel {

namespace {

// The running line's background.
const QColor kRunningLineColor(255, 240, 160);

// The platform's standard keys, as Qt's own text editors take them, and what
// each does here. Scintilla's other key bindings are left out.
struct StandardKeyCommand {
  QKeySequence::StandardKey key;
  QsciCommand::Command command;
};
constexpr StandardKeyCommand kStandardKeys[] = {
    {QKeySequence::MoveToNextChar, QsciCommand::CharRight},
    {QKeySequence::MoveToPreviousChar, QsciCommand::CharLeft},
    {QKeySequence::SelectNextChar, QsciCommand::CharRightExtend},
    {QKeySequence::SelectPreviousChar, QsciCommand::CharLeftExtend},
    {QKeySequence::MoveToNextWord, QsciCommand::WordRight},
    {QKeySequence::MoveToPreviousWord, QsciCommand::WordLeft},
    {QKeySequence::SelectNextWord, QsciCommand::WordRightExtend},
    {QKeySequence::SelectPreviousWord, QsciCommand::WordLeftExtend},
    {QKeySequence::MoveToNextLine, QsciCommand::LineDown},
    {QKeySequence::MoveToPreviousLine, QsciCommand::LineUp},
    {QKeySequence::SelectNextLine, QsciCommand::LineDownExtend},
    {QKeySequence::SelectPreviousLine, QsciCommand::LineUpExtend},
    {QKeySequence::MoveToStartOfLine, QsciCommand::Home},
    {QKeySequence::MoveToEndOfLine, QsciCommand::LineEnd},
    {QKeySequence::SelectStartOfLine, QsciCommand::HomeExtend},
    {QKeySequence::SelectEndOfLine, QsciCommand::LineEndExtend},
    {QKeySequence::MoveToStartOfDocument, QsciCommand::DocumentStart},
    {QKeySequence::MoveToEndOfDocument, QsciCommand::DocumentEnd},
    {QKeySequence::SelectStartOfDocument, QsciCommand::DocumentStartExtend},
    {QKeySequence::SelectEndOfDocument, QsciCommand::DocumentEndExtend},
    {QKeySequence::MoveToNextPage, QsciCommand::PageDown},
    {QKeySequence::MoveToPreviousPage, QsciCommand::PageUp},
    {QKeySequence::SelectNextPage, QsciCommand::PageDownExtend},
    {QKeySequence::SelectPreviousPage, QsciCommand::PageUpExtend},
    {QKeySequence::Delete, QsciCommand::Delete},
    {QKeySequence::Backspace, QsciCommand::DeleteBack},
    {QKeySequence::DeleteEndOfWord, QsciCommand::DeleteWordRight},
    {QKeySequence::DeleteStartOfWord, QsciCommand::DeleteWordLeft},
    {QKeySequence::DeleteEndOfLine, QsciCommand::DeleteLineRight},
    {QKeySequence::InsertParagraphSeparator, QsciCommand::Newline},
    {QKeySequence::InsertLineSeparator, QsciCommand::Newline},
    {QKeySequence::SelectAll, QsciCommand::SelectAll},
    {QKeySequence::Undo, QsciCommand::Undo},
    {QKeySequence::Redo, QsciCommand::Redo},
    {QKeySequence::Cut, QsciCommand::SelectionCut},
    {QKeySequence::Copy, QsciCommand::SelectionCopy},
    {QKeySequence::Paste, QsciCommand::Paste},
};
// Keys Qt's editors also take that are no standard key of their own.
struct KeyCommand {
  int key;
  QsciCommand::Command command;
};
constexpr KeyCommand kOtherKeys[] = {
    {(Qt::SHIFT | Qt::Key_Backspace).toCombined(), QsciCommand::DeleteBack},
};

// What Qt's editors give for these characters as plain text (UTF-8).
struct PlainTextAs {
  std::string_view character;
  char as;
};
constexpr PlainTextAs kPlainText[] = {
    {"\xC2\xA0", ' '},       // no-break space
    {"\xE2\x80\xA8", '\n'},  // line separator
    {"\xE2\x80\xA9", '\n'},  // paragraph separator
};

void ReadAsPlainText(std::string& text) {
  bool found = false;
  for (const PlainTextAs& entry : kPlainText) found = found || text.find(entry.character) != std::string::npos;
  if (!found) return;
  std::size_t out = 0;
  for (std::size_t in = 0; in < text.size();) {
    const std::string_view rest = std::string_view(text).substr(in);
    const PlainTextAs* replaced = nullptr;
    for (const PlainTextAs& entry : kPlainText) {
      if (rest.starts_with(entry.character)) replaced = &entry;
    }
    if (replaced != nullptr) {
      text[out++] = replaced->as;
      in += replaced->character.size();
    } else {
      text[out++] = text[in++];
    }
  }
  text.resize(out);
}

}  // namespace

ProgramEditor::ProgramEditor(QWidget* parent) : QsciScintilla(parent) {
  setMargins(0);
  setWrapMode(QsciScintilla::WrapNone);
  setColor(Qt::black);
  setPaper(Qt::white);
  setCaretForegroundColor(Qt::black);
  SendScintilla(SCI_SETHSCROLLBAR, 0L);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  SendScintilla(SCI_USEPOPUP, 0L);
  running_marker_ = markerDefine(QsciScintilla::Background);
  setMarkerBackgroundColor(kRunningLineColor, running_marker_);
  UseStandardKeys();
  ConfigureDocument();
}

void ProgramEditor::ConfigureDocument() {
  setUtf8(true);
  setEolMode(QsciScintilla::EolUnix);  // Enter and pasted line breaks give "\n"
}

void ProgramEditor::SetTextFont(const QFont& font) {
  QFont sized = font;
  if (font.pixelSize() > 0) sized.setPointSizeF(font.pixelSize() * 72.0 / logicalDpiY());
  setFont(sized);
}

void ProgramEditor::UseStandardKeys() {
  std::map<QsciCommand::Command, std::vector<int>> keys;
  for (const StandardKeyCommand& entry : kStandardKeys) {
    for (const QKeySequence& binding : QKeySequence::keyBindings(entry.key)) {
      if (binding.count() == 1) keys[entry.command].push_back(binding[0].toCombined());
    }
  }
  for (const KeyCommand& entry : kOtherKeys) keys[entry.command].push_back(entry.key);
  QsciCommandSet* commands = standardCommands();
  commands->clearKeys();
  commands->clearAlternateKeys();
  for (const auto& [command, bound] : keys) {
    QsciCommand* target = commands->find(command);
    int assigned = 0;  // a command takes a key and an alternate key
    for (const int key : bound) {
      if (!QsciCommand::validKey(key)) continue;
      if (assigned == 0) target->setKey(key);
      if (assigned == 1) target->setAlternateKey(key);
      ++assigned;
    }
  }
}

std::string ProgramEditor::Utf8Text() {
  const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
  const auto* data = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
  std::string text(data, length);
  ReadAsPlainText(text);
  return text;
}

void ProgramEditor::LightLine(std::optional<std::int32_t> line) {
  const unsigned mask = 1u << running_marker_;
  // Deleting every marker would visit every line; the lit one is usually where it was lit.
  if (lit_line_ && (markersAtLine(*lit_line_) & mask) != 0) {
    markerDelete(*lit_line_, running_marker_);
  } else if (lit_line_) {
    markerDeleteAll(running_marker_);
  }
  lit_line_.reset();
  if (!line || *line < 0 || *line >= lines()) return;
  markerAdd(*line, running_marker_);
  lit_line_ = line;
  setCursorPosition(*line, 0);  // scrolls the running line into view
}

std::optional<std::int32_t> ProgramEditor::LitLine() const {
  const int line = markerFindNext(0, 1u << running_marker_);
  return line >= 0 ? std::optional<std::int32_t>(line) : std::nullopt;
}

void ProgramEditor::SelectLine(std::int32_t line) {
  if (line < 0 || line >= lines()) return;
  const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
  SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start), end);  // scrolls it into view
  setFocus();
}

bool ProgramEditor::DocumentModified() const { return SendScintilla(SCI_GETMODIFY) != 0; }

bool ProgramEditor::focusNextPrevChild(bool next) {
  // Tab moves on to the next control instead of typing a tab.
  return QWidget::focusNextPrevChild(next);
}

void ProgramEditor::inputMethodEvent(QInputMethodEvent* event) {
  // The editor takes the composition out of its document and puts the new one in
  // within the event: what the event changed is known only once it is handled.
  composing_ = true;
  QsciScintilla::inputMethodEvent(event);
  composing_ = !event->preeditString().isEmpty();
  if (!composing_) emit textChanged();
}

QVariant ProgramEditor::inputMethodQuery(Qt::InputMethodQuery query) const {
  // Scintilla answers these with the whole text and with positions counted from
  // its start, which costs a long program a second at every key and caret move;
  // Qt's own editors answer with the caret's line, as here.
  if (query != Qt::ImSurroundingText && query != Qt::ImCursorPosition && query != Qt::ImAnchorPosition) {
    return QsciScintilla::inputMethodQuery(query);
  }
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  const auto line = static_cast<unsigned long>(SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret)));
  const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
  const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
  const QByteArray bytes = this->bytes(static_cast<int>(start), static_cast<int>(end));
  const auto characters_to = [&](long position) {  // UTF-16 units from the line's start
    const long in_line = std::clamp(position, start, end) - start;
    return static_cast<int>(QString::fromUtf8(bytes.constData(), static_cast<qsizetype>(in_line)).size());
  };
  if (query == Qt::ImSurroundingText) return QString::fromUtf8(bytes.constData(), static_cast<qsizetype>(end - start));
  if (query == Qt::ImCursorPosition) return characters_to(caret);
  return characters_to(SendScintilla(SCI_GETANCHOR));
}

}  // namespace kurovel
