// CP932 <-> UTF-8 through glibc iconv. One converter per direction and thread is
// opened on first use and reset before every conversion.

#include "language/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <string>

namespace kurovel {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Owns one iconv descriptor.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Result of one step: how far the input got and why it stopped.
  struct Step {
    std::size_t consumed = 0;
    int error = 0;  // 0 when all input was converted, else EILSEQ or EINVAL
  };

  // Converts as much of `in` as possible, appending to `out`.
  Step Convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in_ptr = const_cast<char*>(in.data());
    std::size_t in_left = in.size();
    char buffer[1024];
    for (;;) {
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      const std::size_t rc = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
      out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
      if (error == E2BIG) continue;
      return {in.size() - in_left, error};
    }
  }

 private:
  iconv_t cd_;
};

Converter& FromCp932() {
  thread_local Converter converter("UTF-8", "CP932");
  return converter;
}

Converter& ToCp932() {
  thread_local Converter converter("CP932", "UTF-8");
  return converter;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size() * 3 / 2);
  Converter& converter = FromCp932();
  while (!cp932.empty()) {
    const Converter::Step step = converter.Convert(cp932, out);
    cp932.remove_prefix(step.consumed);
    if (step.error == 0) break;
    // An undecodable byte (or a lead byte cut off at the end) stands for one
    // replacement character; the byte after it may start a valid character.
    out.append(kReplacement);
    cp932.remove_prefix(1);
  }
  return out;
}

Cp932Encoding Utf8ToCp932(std::string_view utf8) {
  Cp932Encoding result;
  result.bytes.reserve(utf8.size());
  const Converter::Step step = ToCp932().Convert(utf8, result.bytes);
  if (step.error != 0) result.bad_offset = step.consumed;
  return result;
}

std::string Sjis(std::string_view utf8) {
  Cp932Encoding encoded = Utf8ToCp932(utf8);
  if (!encoded.Ok()) {
    throw std::logic_error("text has no CP932 form: " + std::string(utf8));
  }
  return std::move(encoded.bytes);
}

}  // namespace kurovel
