#include "controllers/window_rules.h"

#include "controllers/window_title.h"

namespace kurovel {

std::string WindowCaption(std::string_view file_name) {
  std::string caption(kTitleText);
  if (!file_name.empty()) caption.append(" ").append(file_name);
  return caption;
}

bool NamesProgramAtStart(std::string_view argument) {
  return argument.find("KV") != std::string_view::npos || argument.find("kv") != std::string_view::npos;
}

bool IsProgramFileName(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::size_t slash = path.rfind('/');
  if (slash != std::string_view::npos && dot < slash) return false;
  // ASCII folding only: the file system's names are not case-folded by locale.
  const std::string_view extension = path.substr(dot);
  return extension.size() == 3 && (extension[1] == 'k' || extension[1] == 'K') &&
         (extension[2] == 'v' || extension[2] == 'V');
}

DropRequest DropRequestFor(std::span<const std::string> paths) {
  if (paths.size() >= 2) return DropRequest::kOneFileOnly;
  if (paths.size() == 1 && IsProgramFileName(paths.front())) return DropRequest::kOpenProgram;
  return DropRequest::kNothing;
}

}  // namespace kurovel
