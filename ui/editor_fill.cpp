#include "ui/editor_fill.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>

#include "ui/program_editor.h"

// Scintilla's interface for building a document away from any editor, as
// SCI_CREATELOADER hands it out. QScintilla does not install Scintilla's header,
// so it is declared here as the library declares it: the same name at the same
// scope, the same functions in the same order.
class ILoader {
 public:
  virtual int Release() = 0;
  // Appends bytes; a status other than 0 means the document could not take them.
  virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
  // Ends the loading: the document, with one reference held by the caller.
  virtual void* ConvertToDocument() = 0;
};

namespace kurovel {

namespace {

struct ReleaseLoader {
  void operator()(ILoader* loader) const { loader->Release(); }
};

}  // namespace

void FillEditor(ProgramEditor& editor, std::string_view text, const ProgressHook& progress) {
  std::unique_ptr<ILoader, ReleaseLoader> loader(reinterpret_cast<ILoader*>(
      editor.SendScintilla(QsciScintillaBase::SCI_CREATELOADER, static_cast<unsigned long>(text.size()))));
  if (!loader) throw std::bad_alloc();
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t length = std::min(kFillStepBytes, text.size() - start);
    if (loader->AddData(text.data() + start, static_cast<std::ptrdiff_t>(length)) != 0) throw std::bad_alloc();
    start += length;
    if (progress) progress(static_cast<std::int64_t>(start), static_cast<std::int64_t>(text.size()));
  }
  void* const document = loader.release()->ConvertToDocument();
  // The editor takes its own reference and drops the previous document's.
  editor.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, document);
  editor.SendScintilla(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0UL, document);
  editor.ConfigureDocument();
  // A loader's document records no undo history until told to; the loaded text starts it.
  editor.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1L);
  editor.SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
  editor.SendScintilla(QsciScintillaBase::SCI_SETSAVEPOINT);
}

}  // namespace kurovel
