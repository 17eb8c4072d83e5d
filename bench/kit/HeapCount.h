#pragma once
// The heap that a stretch of work needs: the allocation functions of this
// process are replaced (HeapCount.cpp) by ones that count, while a window is
// open, the usable size of every block allocated and freed, whoever
// allocates it (the module, the crypto library, OpenSSL, jsoncpp). The peak
// of a window is the most the process held at once beyond what it held when
// the window opened.

#include <cstdint>

namespace bench {

class HeapWindow {
public:
    HeapWindow();
    ~HeapWindow();
    HeapWindow(const HeapWindow&) = delete;
    HeapWindow& operator=(const HeapWindow&) = delete;

    // Bytes, as counted so far.
    std::int64_t peak() const;
};

}  // namespace bench
