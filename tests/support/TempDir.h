#pragma once
// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.

#include <boost/filesystem/path.hpp>

#include <string>

namespace test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const boost::filesystem::path& path() const { return path_; }
    // The UTF-8 path of name inside the directory.
    std::string file(const std::string& name) const;

    // Whole-file helpers for the tests' fixtures.
    void write(const std::string& name, const std::string& contents) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    std::size_t entry_count() const;

private:
    boost::filesystem::path path_;
};

}  // namespace test
