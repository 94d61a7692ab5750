#pragma once
// A flow is one handler of the window that asks its front end for things (a
// question, a file dialog, a file's bytes, the editor's text) and goes on with the
// answers, written as a C++ coroutine:
//
//   Flow<bool> DocumentController::SaveTo(std::string path) {
//     const Reply text = co_await WithText(RequestKind::kGetEditorText, {});
//     ...
//     co_return true;
//   }
//
// `co_await request` hands the request to the front end and resumes with its
// reply; `co_await SomeFlow(...)` runs another flow to its end and gives its
// result. A flow never blocks: it is suspended while its front end works, so the
// page can answer after an await and the desktop at once, through the same code.
// A FlowRunner drives one flow at a time.
//
// Flows branch with `if`, never with a `switch` that holds co_await or co_return:
// GCC 12 miscompiles that (the coroutine runs into an illegal instruction).

#include <exception>
#include <optional>
#include <utility>

#include "controllers/requests.h"

// The web edition's toolchain (Emscripten 3.1 with libc++ 14) has the coroutine
// library only as <experimental/coroutine>; its compiler then finds the types there.
#if __has_include(<coroutine>)
#include <coroutine>
namespace kurovel::coro {
using std::coroutine_handle;
using std::suspend_always;
}  // namespace kurovel::coro
#else
#include <experimental/coroutine>
namespace kurovel::coro {
using std::experimental::coroutine_handle;
using std::experimental::suspend_always;
}  // namespace kurovel::coro
#endif

namespace kurovel {

// Where the innermost running flow leaves its request and finds the reply, and
// the flow to resume next when one flow starts or ends another.
struct FlowExchange {
  std::optional<Request> request;
  Reply reply;
  coro::coroutine_handle<> waiting;
  // Flows hand control to each other through the FlowRunner's loop rather than by
  // returning a handle from await_suspend: that needs tail calls, which
  // WebAssembly builds without the tail-call feature (Safari before 18.2) lack.
  coro::coroutine_handle<> next;
};

namespace flow_detail {

template <typename T>
struct Result {
  std::optional<T> value;
  void return_value(T result) { value = std::move(result); }
  T Take() { return std::move(*value); }
};

template <>
struct Result<void> {
  void return_void() {}
  void Take() {}
};

}  // namespace flow_detail

template <typename T = void>
class [[nodiscard]] Flow {
 public:
  struct promise_type;
  using Handle = coro::coroutine_handle<promise_type>;

  struct RequestAwaiter {
    FlowExchange* exchange;
    Request request;

    bool await_ready() const noexcept { return false; }
    void await_suspend(coro::coroutine_handle<> self) {
      exchange->request = std::move(request);
      exchange->waiting = self;
    }
    Reply await_resume() { return std::move(exchange->reply); }
  };

  struct FinalAwaiter {
    bool await_ready() const noexcept { return false; }
    // The flow that awaited this one goes on; a flow awaited by nobody returns to
    // whoever resumed it.
    void await_suspend(Handle done) noexcept { done.promise().exchange->next = done.promise().outer; }
    void await_resume() const noexcept {}
  };

  struct promise_type : flow_detail::Result<T> {
    FlowExchange* exchange = nullptr;
    coro::coroutine_handle<> outer;
    std::exception_ptr error;

    Flow get_return_object() { return Flow(Handle::from_promise(*this)); }
    coro::suspend_always initial_suspend() const noexcept { return {}; }
    FinalAwaiter final_suspend() const noexcept { return {}; }
    void unhandled_exception() { error = std::current_exception(); }

    RequestAwaiter await_transform(Request request) { return {exchange, std::move(request)}; }
    template <typename U>
    Flow<U>&& await_transform(Flow<U>&& inner) {
      inner.Bind(exchange);
      return std::move(inner);
    }
  };

  Flow(Flow&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
  Flow& operator=(Flow&& other) noexcept {
    if (this != &other) {
      if (handle_) handle_.destroy();
      handle_ = std::exchange(other.handle_, {});
    }
    return *this;
  }
  Flow(const Flow&) = delete;
  Flow& operator=(const Flow&) = delete;
  ~Flow() {
    if (handle_) handle_.destroy();
  }

  // Awaited by another flow: this one starts and the other goes on when it ends.
  bool await_ready() const noexcept { return false; }
  void await_suspend(coro::coroutine_handle<> outer) noexcept {
    handle_.promise().outer = outer;
    handle_.promise().exchange->next = handle_;
  }
  T await_resume() {
    if (handle_.promise().error) std::rethrow_exception(handle_.promise().error);
    return handle_.promise().Take();
  }

  void Bind(FlowExchange* exchange) { handle_.promise().exchange = exchange; }
  Handle handle() const { return handle_; }

 private:
  explicit Flow(Handle handle) : handle_(handle) {}

  Handle handle_;
};

// Drives one flow at a time: Start gives the flow's first request, and Answer the
// request after each reply, until a request of kind kNone says the flow has ended.
// An error that the flow does not handle ends it with the error box; a cancelled
// progress (OperationCancelled) ends it quietly, having changed nothing.
class FlowRunner {
 public:
  // An event that arrives while a flow waits for an answer is dropped, so no two
  // flows ever interleave their questions; its Start then returns kNone.
  Request Start(Flow<> flow);
  Request Answer(Reply reply);
  bool Busy() const { return current_.has_value(); }

 private:
  Request Resume(coro::coroutine_handle<> handle);

  std::optional<Flow<>> current_;
  FlowExchange exchange_;
};

}  // namespace kurovel
