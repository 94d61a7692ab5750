#pragma once
// How a long file operation reports how far it has got. The hook may end the
// operation by throwing OperationCancelled; the operation then leaves everything
// as it was before it started.

#include <cstdint>
#include <exception>
#include <functional>

namespace kurovel {

// Called now and then with the work done so far out of total (both in bytes).
using ProgressHook = std::function<void(std::int64_t done, std::int64_t total)>;

// The user stopped a load or save; not an error, so no box reports it.
class OperationCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "cancelled"; }
};

}  // namespace kurovel
