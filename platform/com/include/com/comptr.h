// ComPtr: the owner of one COM reference.
#pragma once

#include <com/unknown.h>

#include <cstddef>
#include <utility>

namespace com {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a reference of its own.
  explicit ComPtr(T* pointer) : m_ptr(pointer) {
    if (m_ptr) m_ptr->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.m_ptr) {}
  ComPtr(ComPtr&& other) noexcept : m_ptr(other.detach()) {}
  ~ComPtr() { reset(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).swap(*this);
    return *this;
  }

  // Owns the reference the caller already holds.
  static ComPtr adopt(T* pointer) {
    ComPtr result;
    result.m_ptr = pointer;
    return result;
  }

  T* get() const { return m_ptr; }
  T* operator->() const { return m_ptr; }
  T& operator*() const { return *m_ptr; }
  explicit operator bool() const { return m_ptr != nullptr; }

  // Lets the held reference go and gives the address an out-parameter fills.
  T** put() {
    reset();
    return &m_ptr;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  // Hands the reference to the caller.
  T* detach() {
    T* pointer = m_ptr;
    m_ptr = nullptr;
    return pointer;
  }
  void reset() {
    if (m_ptr) {
      T* pointer = m_ptr;
      m_ptr = nullptr;
      pointer->Release();
    }
  }
  void swap(ComPtr& other) noexcept { std::swap(m_ptr, other.m_ptr); }

  // QueryInterface for another interface; empty when the object does not answer it.
  template <typename U>
  ComPtr<U> query() const {
    ComPtr<U> result;
    if (m_ptr) m_ptr->QueryInterface(iidOf<U>(), result.putVoid());
    return result;
  }

 private:
  T* m_ptr = nullptr;
};

template <typename T, typename U>
bool operator==(const ComPtr<T>& left, const ComPtr<U>& right) {
  return left.get() == right.get();
}

// QueryInterface of a raw pointer; empty for a null one.
template <typename U, typename T>
ComPtr<U> queryInterface(T* object) {
  return ComPtr<T>(object).template query<U>();
}

}  // namespace com
