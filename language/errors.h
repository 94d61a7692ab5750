#pragma once
// Errors that an operation does not handle: they end the operation and reach the
// error box of whoever owns the event handler.

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kurovel {

// what() is the message in UTF-8, exactly as the error box shows it before the "." rule.
class KurovelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The error box's text: the message followed by "." when its last byte sorts above ".".
std::string ErrorBoxText(std::string_view message);

// Fixed messages.
inline constexpr std::string_view kDivisionByZero = "0 による浮動小数点数除算";
inline constexpr std::string_view kInvalidOperation = "不正な浮動小数点数演算命令";
// A program file, picture or run that needs more memory than there is.
inline constexpr std::string_view kOutOfMemory = "メモリが不足しています";
// The error box's message for an exception: kOutOfMemory for a failed allocation,
// else its what().
std::string ErrorMessageOf(const std::exception& error);
// "'%s' は整数ではありません" with the text converted from CP932.
std::string NotAnIntegerMessage(std::string_view cp932_text);
// "ファイル %s は開けません": a program or picture file that cannot be read (path in UTF-8).
std::string CannotOpenMessage(std::string_view path);
// "ファイル %s を作成できません": a file that cannot be created or replaced (path in UTF-8).
std::string CannotCreateMessage(std::string_view path);

}  // namespace kurovel
