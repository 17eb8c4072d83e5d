// A password or PIN: wiped from memory when it goes.
#pragma once

#include <openssl/crypto.h>

#include <string>
#include <utility>

namespace dravik {

class Secret {
 public:
  Secret() = default;
  explicit Secret(std::string value) : value_(std::move(value)) {}
  Secret(const char* data, size_t length) : value_(data, length) {}
  Secret(const Secret& other) : value_(other.value_) {}
  Secret(Secret&& other) : value_(other.value_) { other.wipe(); }
  Secret& operator=(Secret other) {
    wipe();
    value_.swap(other.value_);
    return *this;
  }
  ~Secret() { wipe(); }

  const std::string& value() const { return value_; }
  const char* data() const { return value_.data(); }
  size_t size() const { return value_.size(); }

 private:
  void wipe() {
    if (!value_.empty()) OPENSSL_cleanse(&value_[0], value_.size());
    value_.clear();
  }
  std::string value_;
};

}  // namespace dravik
