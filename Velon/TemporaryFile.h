#pragma once
// A unique, empty file in the folder for temporary files, made for one call
// and removed when the call ends, however it ends.

#include <string>

namespace velon {

class TemporaryFile {
public:
    // Makes the file; fails with err_temp_path or err_temp_file, logged
    // under function.
    static TemporaryFile create(const char* function);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // UTF-8.
    const std::string& name() const { return name_; }

private:
    explicit TemporaryFile(std::string name) : name_(std::move(name)) {}
    std::string name_;
};

}  // namespace velon
