// Live handles of one kind (contexts, records): the caller's release of a
// handle that is not live is ignored rather than a crash.
#pragma once

#include <memory>
#include <unordered_map>

namespace dravik {

template <typename T>
class HandleRegistry {
 public:
  T* add(std::unique_ptr<T> object) {
    T* handle = object.get();
    live_.emplace(handle, std::move(object));
    return handle;
  }
  T* find(const void* handle) const {
    auto found = live_.find(const_cast<T*>(static_cast<const T*>(handle)));
    return found == live_.end() ? nullptr : found->second.get();
  }
  bool release(const void* handle) {
    return live_.erase(const_cast<T*>(static_cast<const T*>(handle))) > 0;
  }
  size_t size() const { return live_.size(); }

 private:
  std::unordered_map<T*, std::unique_ptr<T>> live_;
};

}  // namespace dravik
