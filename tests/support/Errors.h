#pragma once
// The text of a captured error, for tests that look at rejections.

#include <exception>
#include <string>

namespace test {

inline std::string messageOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "(not a std::exception)";
    }
}

}  // namespace test
