#pragma once
// A process-wide flag word of the crypto library (the certificate-request
// flags, the PKCS#7 flags) changed for the length of one call. The value read
// is put back on every path: by restore() on success, which reports a failed
// write-back, and otherwise when the object goes, without looking at the
// result.

#include <cstdint>
#include <string>

namespace velon {

struct LibraryFlagWord {
    const char* getter;
    int (*get)(std::uint32_t*);
    const char* setter;
    int (*set)(std::uint32_t);
};

extern const LibraryFlagWord kRequestFlags;
extern const LibraryFlagWord kPkcs7Flags;

class ScopedLibraryFlags {
public:
    // function names the API method in failure reports ("VelonAPI::getCMC").
    ScopedLibraryFlags(const LibraryFlagWord& word, std::string function);
    ~ScopedLibraryFlags();
    ScopedLibraryFlags(const ScopedLibraryFlags&) = delete;
    ScopedLibraryFlags& operator=(const ScopedLibraryFlags&) = delete;

    // The value in force, which is the one put back. Throws on failure.
    std::uint32_t read();
    // Sets value; from now on the value read is put back. Throws on failure,
    // with nothing to undo.
    void set(std::uint32_t value);
    // Puts the value read back now; a failure is reported.
    void restore();

private:
    const LibraryFlagWord& word_;
    std::string function_;
    std::uint32_t saved_ = 0;
    bool changed_ = false;
};

}  // namespace velon
