#pragma once
// What every signing benchmark stands on: a temporary folder holding the
// crypto library's home, a copy of the module beside a configuration that
// trusts the benchmark page's site, and a GOST R 34.10-2012 key in a
// container without password, with its certificate. Made once per process.

#include <string>

#include "support/TempDir.h"

namespace bench {

// The page every benchmark host shows.
constexpr const char* kPageUrl = "https://bank.example/pay";
constexpr const char* kMimeType = "application/x-velon";

class Workspace {
public:
    static Workspace& get();

    const std::string& modulePath() const { return m_modulePath; }
    const std::string& keyPath() const { return m_keyPath; }
    // The path of a file of that name in the workspace's folder.
    std::string file(const std::string& name) const { return m_dir.file(name); }
    // The key's certificate, PEM.
    const std::string& certificate() const { return m_certificate; }

private:
    Workspace();
    test::TempDir m_dir;
    std::string m_modulePath;
    std::string m_keyPath;
    std::string m_certificate;
};

}  // namespace bench
