#include "app/program_arguments.h"

#include <cstddef>

namespace kurovel {

#ifdef __EMSCRIPTEN__
// Under node the arguments reach main() decoded as UTF-8 and encoded again, which
// turns each byte of a Shift-JIS name into U+FFFD. The host (app/kurovel_run_node_files.js)
// hands over the bytes the process was started with instead: each argument followed
// by a NUL byte; it returns how many bytes that takes and fills buffer when it is
// large enough.
extern "C" std::size_t kurovel_host_arguments(char* buffer, std::size_t size);

std::vector<std::string> ProgramArguments(int, char**) {
  std::string joined(kurovel_host_arguments(nullptr, 0), '\0');
  kurovel_host_arguments(joined.data(), joined.size());
  std::vector<std::string> arguments;
  for (std::size_t start = 0; start < joined.size();) {
    const std::size_t end = joined.find('\0', start);
    arguments.push_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}
#else
std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}
#endif

}  // namespace kurovel
