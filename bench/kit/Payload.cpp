#include "kit/Payload.h"

#include "kit/Workspace.h"

#include <openssl/evp.h>

#include <fstream>
#include <map>
#include <random>

namespace bench {

std::string toBase64(const std::string& bytes)
{
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&text[0]),
                                       reinterpret_cast<const unsigned char*>(bytes.data()),
                                       static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

const std::string& Payload::bytes()
{
    static const std::string made = [] {
        std::mt19937_64 random(20240515);
        std::string out(16 * kMiB, '\0');
        for (std::size_t i = 0; i < out.size(); i += 8) {
            const auto word = random();
            for (std::size_t k = 0; k < 8; ++k)
                out[i + k] = static_cast<char>(word >> (8 * k));
        }
        return out;
    }();
    return made;
}

const std::string& Payload::fileBytes()
{
    static const std::string made = bytes() + bytes() + bytes() + bytes();
    return made;
}

const std::string& Payload::filePath()
{
    static const std::string made = [] {
        const std::string path = Workspace::get().file("data.bin");
        std::ofstream(path, std::ios::binary).write(fileBytes().data(), static_cast<std::streamsize>(fileBytes().size()));
        return path;
    }();
    return made;
}

const std::string& Payload::base64()
{
    static const std::string made = toBase64(bytes());
    return made;
}

const std::string& Payload::text(std::size_t mib)
{
    static std::map<std::size_t, std::string> made;
    std::string& out = made[mib];
    if (out.empty()) {
        const std::string line = "Pay 100.00 to Orvanta demo account 40702810 by order 7731, ref. A-0019.\n";
        out.reserve(mib * kMiB);
        while (out.size() + line.size() <= mib * kMiB)
            out += line;
        out.append(mib * kMiB - out.size(), '.');
    }
    return out;
}

const std::string& Payload::textUtf16(std::size_t mib)
{
    static std::map<std::size_t, std::string> made;
    std::string& out = made[mib];
    if (out.empty()) {
        out.reserve(2 * mib * kMiB);
        for (char c : text(mib)) {
            out.push_back(c);
            out.push_back('\0');
        }
    }
    return out;
}

}  // namespace bench
