// Texts of the error box.

#include "language/errors.h"

#include "language/cp932.h"

namespace kurovel {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  // Compared as an unsigned byte: every byte of a multi-byte character sorts above ".".
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.')) {
    text += '.';
  }
  return text;
}

std::string ErrorMessageOf(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return std::string(kOutOfMemory);
  return error.what();
}

std::string NotAnIntegerMessage(std::string_view cp932_text) {
  std::string message = "'";
  message += Cp932ToUtf8(cp932_text);
  message += "' は整数ではありません";
  return message;
}

std::string CannotOpenMessage(std::string_view path) { return "ファイル " + std::string(path) + " は開けません"; }

std::string CannotCreateMessage(std::string_view path) {
  return "ファイル " + std::string(path) + " を作成できません";
}

}  // namespace kurovel
