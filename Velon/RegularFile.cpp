#include "Velon/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace velon {

RegularFile::RegularFile(const std::string& path)
{
    if (path.find('\0') != std::string::npos)
        return;
    // Opening does not wait for a FIFO's writer; the type is then checked on
    // what was opened, not on a name that may have changed meanwhile.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(status.st_size);
}

RegularFile::~RegularFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RegularFile::read_exactly(char* data, std::size_t count)
{
    if (fd_ < 0)
        return false;
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd_, data + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool RegularFile::read_whole(const std::string& path, std::string& contents, std::uint64_t max_size)
{
    RegularFile file(path);
    if (!file.is_open() || file.size() > max_size)
        return false;
    std::string bytes(static_cast<std::size_t>(file.size()), '\0');
    if (!file.read_exactly(&bytes[0], bytes.size()))
        return false;
    contents.swap(bytes);
    return true;
}

}  // namespace velon
