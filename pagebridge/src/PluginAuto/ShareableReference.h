#pragma once
// A small shared object that stands for an object whose life the browser
// governs (an NPObject, a COM object): the owner keeps the one strong
// reference and drops it when it dies, others keep weak pointers and learn
// from them whether the object still exists.

#include <memory>

namespace PB {

template <typename T>
class ShareableReference : public std::enable_shared_from_this<ShareableReference<T>> {
public:
    explicit ShareableReference(T* ptr) : m_ptr(ptr) {}
    ShareableReference(const ShareableReference&) = delete;
    ShareableReference& operator=(const ShareableReference&) = delete;

    T* getPtr() const { return m_ptr; }

private:
    T* m_ptr;
};

}  // namespace PB
