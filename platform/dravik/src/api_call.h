// The frame of every exported function: the library lock, the last error,
// the initialisation check, forced results, the journal, and the turning of
// internal failures into result codes.
#pragma once

#include <cstdint>
#include <mutex>
#include <new>
#include <optional>
#include <string>

#include "dravik/dravik.h"
#include "error.h"
#include "journal.h"
#include "last_error.h"

namespace dravik {

std::recursive_mutex& libraryMutex();
bool libraryInitialised();

// Argument text for the journal; secrets and data never appear in it.
class Args {
 public:
  Args& text(const char* name, const char* value);
  Args& secret(const char* name, const char* value);
  Args& bytes(const char* name, const void* data, uint64_t length);
  Args& number(const char* name, long long value);
  Args& hex(const char* name, uint64_t value);
  Args& handle(const char* name, const void* value);
  const std::string& str() const { return text_; }

 private:
  void add(const char* name, const std::string& value);
  std::string text_;
};

// What a call needs before it may run. Release calls need nothing and leave
// the last error as it was, so that a failure can be read after cleaning up.
enum class Needs { Init, Nothing, NothingKeepError };

class CallScope {
 public:
  CallScope(const char* function, Needs needs, const Args& args);
  ~CallScope();
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

  // Set when the call must not run: the forced result, or 161 before init.
  const std::optional<int>& preempt() const { return preempt_; }
  bool forced() const { return forced_; }
  void finish(int result) { entry_.result = result; }

 private:
  std::lock_guard<std::recursive_mutex> lock_;
  DravikJournalEntry entry_;
  std::optional<int> preempt_;
  bool forced_ = false;
};

template <typename Body>
int guarded(Body&& body) {
  try {
    return body();
  } catch (const DravikError& e) {
    return e.code();
  } catch (const std::bad_alloc&) {
    return DRAVIK_E_MEMORY;
  } catch (...) {
    return DRAVIK_E_INTERNAL;
  }
}

// An int function: 0 or a code.
template <typename Body>
int callInt(const char* function, Needs needs, const Args& args, Body&& body) {
  CallScope scope(function, needs, args);
  int result = scope.preempt() ? *scope.preempt() : guarded([&] { return body(); });
  scope.finish(result);
  setLastError(result);
  return result;
}

// A yes/no function: the answer, or 0 with the last error on failure.
template <typename Body>
int callAnswer(const char* function, Needs needs, const Args& args, Body&& body) {
  CallScope scope(function, needs, args);
  int answer = 0;
  if (scope.forced()) {
    answer = *scope.preempt();
  } else {
    int code = scope.preempt() ? *scope.preempt() : guarded([&] {
      answer = body();
      return 0;
    });
    if (code != 0) answer = 0;
    setLastError(code);
  }
  scope.finish(answer);
  return answer;
}

// A pointer function: the pointer, or NULL with the last error.
template <typename T, typename Body>
T* callPointer(const char* function, Needs needs, const Args& args, Body&& body) {
  CallScope scope(function, needs, args);
  T* result = nullptr;
  int code = scope.preempt() ? *scope.preempt() : guarded([&] {
    result = body();
    return 0;
  });
  if (code != 0) result = nullptr;
  scope.finish(code);
  setLastError(code);
  return result;
}

// A release function: never fails, needs nothing.
template <typename Body>
void callRelease(const char* function, const Args& args, Body&& body) {
  CallScope scope(function, Needs::NothingKeepError, args);
  guarded([&] {
    body();
    return 0;
  });
}

}  // namespace dravik
