#pragma once
// Texts that held a secret (a shared secret, a password) are overwritten
// before their memory is given back, so that no copy outlives the call.

#include <initializer_list>
#include <string>
#include <vector>

namespace velon {

template <typename Char>
void wipe(std::basic_string<Char>& text)
{
    // Volatile stores: the writes must happen although nothing reads them.
    volatile Char* chars = &text[0];
    for (typename std::basic_string<Char>::size_type i = 0; i < text.size(); ++i)
        chars[i] = Char();
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
