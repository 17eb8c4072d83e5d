#include "Velon/JsonFile.h"

#include <boost/filesystem.hpp>
#include <boost/filesystem/fstream.hpp>
#include <json/reader.h>
#include <json/writer.h>

#include <cstdio>
#include <memory>
#include <sstream>

namespace velon {
namespace JsonFile {
namespace {

namespace fs = boost::filesystem;

// The one place where a UTF-8 path becomes a file-system path: on this
// platform the native encoding is UTF-8, so the bytes pass unchanged.
fs::path native_path(const std::string& utf8)
{
    return fs::path(utf8);
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
    const fs::path file = native_path(path);
    boost::system::error_code ec;
    // A directory opens as a stream on this platform; it is no file to read.
    if (fs::is_directory(file, ec))
        return ReadStatus::not_found;
    fs::ifstream in(file);
    if (!in)
        return ReadStatus::not_found;

    Json::CharReaderBuilder builder;
    if (strict_end)
        builder["failIfExtra"] = true;
    Json::Value parsed;
    if (!Json::parseFromStream(builder, in, &parsed, &errors))
        return ReadStatus::parse_error;
    root.swap(parsed);
    return ReadStatus::ok;
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

    // Rewrite the file a link points to, so that the link itself stays.
    boost::system::error_code resolve_error;
    fs::path target = fs::canonical(native_path(path), resolve_error);
    if (resolve_error)
        target = native_path(path);

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
