#include "kit/Floor.h"

#include <json/json.h>

#include <stdexcept>

#include "kit/Workspace.h"

namespace bench {

LibrarySigner::LibrarySigner() : m_context(GetSignCTX())
{
    const Workspace& work = Workspace::get();
    const std::string& certificate = work.certificate();
    auto length = static_cast<uint32_t>(certificate.size());
    if (!m_context || AddPSEPrivateKeyFromBufferEx(work.keyPath().c_str(), nullptr, certificate.data(), length, 0) != 0 ||
        AddSigner(m_context, DRAVIK_SOURCE_BYTES, certificate.data(), &length) != 0) {
        FreeSignCTX(m_context);
        throw std::runtime_error("the library cannot sign with the benchmark key");
    }
}

LibrarySigner::~LibrarySigner()
{
    FreeSignCTX(m_context);
}

std::size_t LibrarySigner::sign(const std::string& data, int mode) const
{
    char* output = nullptr;
    uint32_t length = 0;
    const int result =
        SignBufferEx(m_context, data.data(), static_cast<uint32_t>(data.size()), &output, &length, mode);
    BufferFree(output);
    if (result != 0)
        throw std::runtime_error("SignBufferEx failed with " + std::to_string(result));
    return length;
}

std::size_t parseJson(const std::string& text)
{
    Json::Value root;
    Json::Reader reader;
    if (!reader.parse(text.data(), text.data() + text.size(), root))
        throw std::runtime_error("the command text is not JSON");
    return root.size();
}

}  // namespace bench
