#pragma once
// A file read on behalf of a page or of the plug-in itself, opened only when
// it is a regular file (links followed). A FIFO, a device or a folder named
// where a file is expected is refused at once: reading one would block for
// good or never end. So is a name with a NUL inside, which the system would
// cut short and read as another file.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velon {

class RegularFile {
public:
    // Opens path, its bytes passed to the file system as they are.
    explicit RegularFile(const std::string& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool is_open() const { return fd_ >= 0; }
    // The file's size when it was opened.
    std::uint64_t size() const { return size_; }
    // Reads count bytes into data; false when fewer could be read.
    bool read_exactly(char* data, std::size_t count);

    // The whole regular file at path into contents; false when it cannot be
    // opened, cannot be read or holds more than max_size bytes.
    static bool read_whole(const std::string& path, std::string& contents, std::uint64_t max_size);

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace velon
