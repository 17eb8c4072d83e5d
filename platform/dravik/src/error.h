// Failures inside the library travel as DravikError up to the exported
// function, which turns them into its result code.
#pragma once

#include <exception>

namespace dravik {

class DravikError : public std::exception {
 public:
  explicit DravikError(int code) : code_(code) {}
  int code() const { return code_; }
  const char* what() const noexcept override { return "dravik error"; }

 private:
  int code_;
};

[[noreturn]] inline void fail(int code) { throw DravikError(code); }

inline void require(bool condition, int code) {
  if (!condition) fail(code);
}

}  // namespace dravik
