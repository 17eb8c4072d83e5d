#pragma once
// The floors that the module's figures are set against: the crypto
// library's own signing of the same bytes with the same key and output
// format (a context made once, SignBufferEx alone), and a bare Json::Reader
// parse of a command text.

#include <dravik/dravik.h>

#include <cstddef>
#include <string>

namespace bench {

class LibrarySigner {
public:
    // Made after the plug-in has set the library's process-wide output up.
    LibrarySigner();
    ~LibrarySigner();
    LibrarySigner(const LibrarySigner&) = delete;
    LibrarySigner& operator=(const LibrarySigner&) = delete;

    // The length of the signature made.
    std::size_t sign(const std::string& data, int mode) const;

private:
    DravikSignContext* m_context = nullptr;
};

// The number of members of the parsed value (so the parse is not optimised away).
std::size_t parseJson(const std::string& text);

}  // namespace bench
