#include "api_call.h"

#include <openssl/err.h>

#include <cstdio>

#include "faults.h"

namespace dravik {

void Args::add(const char* name, const std::string& value) {
  if (!text_.empty()) text_ += ", ";
  text_ += name;
  text_ += '=';
  text_ += value;
}

Args& Args::text(const char* name, const char* value) {
  add(name, value ? std::string("\"") + value + "\"" : std::string("NULL"));
  return *this;
}

Args& Args::secret(const char* name, const char* value) {
  add(name, value ? "***" : "NULL");
  return *this;
}

Args& Args::bytes(const char* name, const void* data, uint64_t length) {
  add(name, data ? "<" + std::to_string(length) + " bytes>" : std::string("NULL"));
  return *this;
}

Args& Args::number(const char* name, long long value) {
  add(name, std::to_string(value));
  return *this;
}

Args& Args::hex(const char* name, uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  add(name, text);
  return *this;
}

Args& Args::handle(const char* name, const void* value) {
  add(name, value ? "set" : "NULL");
  return *this;
}

CallScope::CallScope(const char* function, Needs needs, const Args& args)
    : lock_(libraryMutex()), entry_(journalBegin(function, args.str())) {
  if (needs != Needs::NothingKeepError) setLastError(0);
  if (std::optional<int> forced = takeForcedResult(function)) {
    preempt_ = forced;
    forced_ = true;
  } else if (needs == Needs::Init && !libraryInitialised()) {
    preempt_ = DRAVIK_E_NOT_INITIALISED;
  }
}

CallScope::~CallScope() {
  ERR_clear_error();
  journalAppend(entry_);
}

}  // namespace dravik
