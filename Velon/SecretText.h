#pragma once
// Texts that held a secret (a shared secret, a password) are overwritten
// before their memory is given back, so that no copy outlives the call.

#include <initializer_list>
#include <string>
#include <vector>

namespace velon {

inline void wipe(std::string& text)
{
    // Volatile stores: the writes must happen although nothing reads them.
    volatile char* bytes = &text[0];
    for (std::string::size_type i = 0; i < text.size(); ++i)
        bytes[i] = '\0';
    text.clear();
}

// Wipes the texts it was given when it goes.
class WipeOnExit {
public:
    WipeOnExit(std::initializer_list<std::string*> texts) : texts_(texts) {}
    ~WipeOnExit()
    {
        for (std::string* text : texts_)
            wipe(*text);
    }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    std::vector<std::string*> texts_;
};

}  // namespace velon
