#include "Velon/ScopedLibraryFlags.h"

#include <dravik/dravik.h>

#include "Velon/VelonAPI.h"

namespace velon {

const LibraryFlagWord kRequestFlags = {"GetCertificateRequestFlags", &GetCertificateRequestFlags,
                                       "SetCertificateRequestFlags", &SetCertificateRequestFlags};
const LibraryFlagWord kPkcs7Flags = {"GetPKCS7Flags", &GetPKCS7Flags, "SetPKCS7Flags", &SetPKCS7Flags};

ScopedLibraryFlags::ScopedLibraryFlags(const LibraryFlagWord& word, std::string function)
    : word_(word), function_(std::move(function))
{
}

ScopedLibraryFlags::~ScopedLibraryFlags()
{
    if (changed_)
        word_.set(saved_);
}

std::uint32_t ScopedLibraryFlags::read()
{
    const int result = word_.get(&saved_);
    if (result != 0)
        VelonAPI::fail_with_library(function_, word_.getter, result);
    return saved_;
}

void ScopedLibraryFlags::set(std::uint32_t value)
{
    const int result = word_.set(value);
    if (result != 0)
        VelonAPI::fail_with_library(function_, word_.setter, result);
    changed_ = true;
}

void ScopedLibraryFlags::restore()
{
    if (!changed_)
        return;
    changed_ = false;
    const int result = word_.set(saved_);
    if (result != 0)
        VelonAPI::fail_with_library(function_, word_.setter, result);
}

}  // namespace velon
