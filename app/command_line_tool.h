#pragma once
// What kurovel-run and kurovel-class share as command-line tools: the sysexits
// statuses and the last word on a failure nothing else caught.

#include <exception>
#include <iostream>
#include <new>
#include <string_view>

namespace kurovel {

enum ToolExitStatus : int {
  kExitOk = 0,
  kExitUsage = 64,
  kExitNoInput = 66,
  kExitSoftware = 70,
  kExitCannotCreate = 73,
};

// run(), or kExitSoftware with a line on stderr when it throws. Outputs are
// replaced all or nothing, so a failure leaves none half written.
template <typename Run>
int RunReportingFailures(std::string_view tool, Run&& run) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    std::cerr << tool << ": out of memory\n";
  } catch (const std::exception& error) {
    std::cerr << tool << ": internal error: " << error.what() << '\n';
  }
  return kExitSoftware;
}

}  // namespace kurovel
