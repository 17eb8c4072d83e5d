#include "Velon/JsonFile.h"

#include <boost/filesystem.hpp>
#include <json/reader.h>
#include <json/writer.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <sstream>

#include "Velon/RegularFile.h"

namespace velon {
namespace JsonFile {
namespace {

namespace fs = boost::filesystem;

// Far more than any configuration or message table holds.
constexpr std::uint64_t kMaxFileBytes = 64 << 20;

// The one place where a UTF-8 path becomes a file-system path: on this
// platform the native encoding is UTF-8, so the bytes pass unchanged.
fs::path native_path(const std::string& utf8)
{
    return fs::path(utf8);
}

// The file a rewrite replaces: the one a link points to, so that the link
// itself stays.
fs::path rewrite_target(const std::string& path)
{
    boost::system::error_code resolve_error;
    fs::path target = fs::canonical(native_path(path), resolve_error);
    if (resolve_error)
        target = native_path(path);
    return target;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Creates the file exclusively (never through an existing name, so never
// through a link planted there) and writes contents; true when every byte
// reached the file and it closed cleanly. A file it created but could not
// fill is removed again.
bool write_new_file(const fs::path& path, const std::string& contents)
{
    FilePtr file(std::fopen(path.c_str(), "wbx"));
    if (!file)
        return false;
    bool written = std::fwrite(contents.data(), 1, contents.size(), file.get()) == contents.size()
                   && std::fflush(file.get()) == 0;
    written = std::fclose(file.release()) == 0 && written;
    if (!written) {
        boost::system::error_code ignored;
        fs::remove(path, ignored);
    }
    return written;
}

}  // namespace

ReadStatus read(const std::string& path, Json::Value& root, std::string& errors, bool strict_end)
{
    std::string text;
    if (!RegularFile::read_whole(native_path(path).native(), text, kMaxFileBytes))
        return ReadStatus::not_found;

    Json::CharReaderBuilder builder;
    if (strict_end)
        builder["failIfExtra"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value parsed;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &parsed, &errors))
            return ReadStatus::parse_error;
    } catch (const std::exception& e) {
        // The reader gives up on some damage (values nested too deep) by
        // throwing; that is a damaged file like any other.
        errors = e.what();
        return ReadStatus::parse_error;
    }
    root.swap(parsed);
    return ReadStatus::ok;
}

UpdateLock::UpdateLock(const std::string& path)
{
    const fs::path target = rewrite_target(path);
    // The lock is the file's own. An update replaces the file, so a lock won
    // on the file it replaced holds nothing: then the new one is locked. Each
    // round means another update finished; after many, the update goes on
    // unlocked rather than never.
    for (int round = 0; round < 1000; ++round) {
        const int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return;
        int locked = 0;
        do
            locked = ::flock(fd, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        struct stat held {};
        struct stat named {};
        const bool same = locked == 0 && ::fstat(fd, &held) == 0 && ::stat(target.c_str(), &named) == 0 &&
                          held.st_dev == named.st_dev && held.st_ino == named.st_ino;
        if (same) {
            fd_ = fd;
            return;
        }
        ::close(fd);
        if (locked != 0)
            return;
    }
}

UpdateLock::~UpdateLock()
{
    // Closing releases the lock.
    if (fd_ >= 0)
        ::close(fd_);
}

bool write(const std::string& path, const Json::Value& root)
{
    std::ostringstream text;
    {
        Json::StreamWriterBuilder builder;
        const std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
        writer->write(root, &text);
    }
    if (!text)
        return false;

    const fs::path target = rewrite_target(path);

    boost::system::error_code name_error;
    const fs::path temp = target.parent_path()
                          / fs::unique_path(target.filename().native() + ".%%%%-%%%%-%%%%.tmp", name_error);
    if (name_error || !write_new_file(temp, text.str()))
        return false;

    // The new file keeps the old one's permissions; failing that, it keeps
    // those a new file gets, which is no reason to lose the update.
    boost::system::error_code status_error;
    const fs::file_status old_status = fs::status(target, status_error);
    if (!status_error && fs::exists(old_status)) {
        boost::system::error_code ignored;
        fs::permissions(temp, old_status.permissions(), ignored);
    }

    boost::system::error_code rename_error;
    fs::rename(temp, target, rename_error);
    if (rename_error) {
        boost::system::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

}  // namespace JsonFile
}  // namespace velon
