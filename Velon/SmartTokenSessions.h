#pragma once
// The PKCS#7 flags are a setting of the whole process, while SmartToken
// signing sessions belong to pages: while any page has one open, every
// signature in the process carries the SmartToken bit. The sessions are
// counted here, for all pages of the process, whatever thread they live on:
// the first to open keeps the flags it found, and the last to end (by
// signFinal or by its page going away) writes them back. A change made to
// the flags while sessions are open is not kept past the last of them.

#include <cstdint>

namespace velon {
namespace SmartTokenSessions {

// One more session: adds bits to the flags in force. On success answers 0
// and puts in *earlier the flags to be written back when the last session
// ends; on failure answers the library's result and puts in *failed the name
// of the library function that failed, and the session is not counted.
int open(std::uint32_t bits, std::uint32_t* earlier, const char** failed);

// One session fewer. The last one writes the earlier flags back and answers
// SetPKCS7Flags' result; the others answer 0.
int close();

}  // namespace SmartTokenSessions
}  // namespace velon
