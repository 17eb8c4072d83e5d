#include "support/TempDir.h"

#include <boost/filesystem.hpp>
#include <boost/filesystem/fstream.hpp>

#include <iterator>
#include <stdexcept>

namespace test {

namespace fs = boost::filesystem;

TempDir::TempDir()
    : path_(fs::temp_directory_path() / fs::unique_path("velon-test-%%%%-%%%%-%%%%"))
{
    fs::create_directories(path_);
}

TempDir::~TempDir()
{
    boost::system::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const
{
    return (path_ / name).string();
}

void TempDir::write(const std::string& name, const std::string& contents) const
{
    fs::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out)
        throw std::runtime_error("cannot write test file " + name);
}

std::string TempDir::read(const std::string& name) const
{
    fs::ifstream in(path_ / name, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read test file " + name);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempDir::exists(const std::string& name) const
{
    return fs::exists(path_ / name);
}

std::size_t TempDir::entry_count() const
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(path_), fs::directory_iterator()));
}

}  // namespace test
