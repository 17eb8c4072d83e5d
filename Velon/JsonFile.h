#pragma once
// Reading and rewriting the plug-in's small JSON files ("Velon.conf",
// "Velon.resources"). Paths are UTF-8, the native path encoding here.

#include <json/value.h>

#include <string>

namespace velon {
namespace JsonFile {

enum class ReadStatus { ok, not_found, parse_error };

// Parses the whole file with the JSON library's default features (comments
// allowed and kept with the values). A path that names no regular file is
// not_found. On parse_error, errors holds the reader's formatted messages. strict_end also refuses text after the top
// level value (comments aside): a file about to be rewritten must be one the
// rewrite reproduces in full.
ReadStatus read(const std::string& path, Json::Value& root, std::string& errors, bool strict_end = false);

// Held while a file is read, changed and written back: an update of the
// same file under another lock, in this process or another, waits until this
// one is released, so that no update works from a text that another has
// replaced meanwhile (and drops what that one added). Only updates that take
// the lock are kept out. A file that cannot be opened is not locked; reading
// it then fails all the same.
class UpdateLock {
public:
    explicit UpdateLock(const std::string& path);
    ~UpdateLock();
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Writes root with the stream writer's defaults (comments kept, one tab per
// level, keys sorted) so that the file holds either its old or its new text,
// never a part: the text goes to a temporary file beside it, which then
// replaces the original. False, with the original untouched, on any failure.
bool write(const std::string& path, const Json::Value& root);

}  // namespace JsonFile
}  // namespace velon
