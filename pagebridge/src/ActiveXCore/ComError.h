#pragma once
// A failed COM call inside the adapter, carried as an exception until the
// COM method that caught it answers with its HRESULT.

#include <stdexcept>
#include <string>

#include <com/hresult.h>

namespace PB {
namespace ActiveX {

class ComError : public std::runtime_error {
public:
    ComError(HRESULT hr, const std::string& what) : std::runtime_error(what), m_hr(hr) {}
    HRESULT hr() const { return m_hr; }

private:
    HRESULT m_hr;
};

// Throws ComError when hr is a failure.
inline void throwIfFailed(HRESULT hr, const char* what)
{
    if (FAILED(hr))
        throw ComError(hr, what);
}

}  // namespace ActiveX
}  // namespace PB
