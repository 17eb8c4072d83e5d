#include "file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "dravik/dravik.h"
#include "error.h"

namespace dravik {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string readFileBytes(const std::filesystem::path& file) {
  // Opening does not wait for a FIFO's writer; the type is checked on what
  // was opened, not on a name that may have changed meanwhile.
  Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  require(fd.get() >= 0, DRAVIK_E_READ_INPUT);
  struct stat status {};
  require(::fstat(fd.get(), &status) == 0 && S_ISREG(status.st_mode), DRAVIK_E_READ_INPUT);
  require(status.st_size >= 0 && static_cast<std::uintmax_t>(status.st_size) <= kMaxFileBytes, DRAVIK_E_READ_INPUT);
  std::string bytes(static_cast<size_t>(status.st_size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t got = ::read(fd.get(), &bytes[done], bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    require(got > 0, DRAVIK_E_READ_INPUT);
    done += static_cast<size_t>(got);
  }
  return bytes;
}

}  // namespace dravik
