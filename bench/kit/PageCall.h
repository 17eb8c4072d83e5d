#pragma once
// A page call as the benchmark hosts make it: the method's arguments as
// page script passes them (texts and flags), and what the page's promise
// settled with.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct PageArg {
    bool isFlag = false;
    bool flag = false;
    // Borrowed: payloads live for the whole process.
    const std::string* text = nullptr;

    static PageArg of(const std::string& value) { return PageArg{false, false, &value}; }
    static PageArg of(bool value) { return PageArg{true, value, nullptr}; }
};

using PageArgs = std::vector<PageArg>;

struct PageAnswer {
    bool settled = false;
    bool resolved = false;
    // A text answer's length in bytes (UTF-8; for a BSTR its UTF-16 bytes),
    // and its first bytes; a short description of any other answer.
    std::size_t length = 0;
    std::string head;
};

}  // namespace bench
