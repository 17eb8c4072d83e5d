#include "kit/Workspace.h"

#include <dravik/dravik.h>
#include <dravik/dravik_test.h>

#include <boost/filesystem/operations.hpp>

#include <cstdlib>
#include <stdexcept>

#include "platform/dravik/pki.h"

namespace bench {

Workspace& Workspace::get()
{
    static Workspace workspace;
    return workspace;
}

Workspace::Workspace()
{
    ::setenv("DRAVIK_HOME", m_dir.file("dravik").c_str(), 1);
    boost::filesystem::create_directories(m_dir.path() / "dravik");
    boost::filesystem::create_directories(m_dir.path() / "module");

    m_modulePath = m_dir.file("module/libnpVelon.so");
    boost::filesystem::copy_file(VELON_MODULE_PATH, m_modulePath);
    m_dir.write("module/Velon.conf", "{\"plugin.trusted_sites\": [\"https://bank.example\"]}\n");

    // The test material needs the GOST engine, which the library loads; the
    // plug-in's own start-up only counts one more user.
    if (PKCS7Init(nullptr, 0) != 0)
        throw std::runtime_error("the crypto library does not start");
    const dravik_test::Identity& user = dravik_test::Pki::get().user(dravik_test::KeyKind::Gost256);
    m_certificate = user.certPem();
    m_keyPath = m_dir.file("keys/signer");
    const std::string key = user.keyPem();
    if (DravikTest_CreateContainer(m_keyPath.c_str(), "") != 0 ||
        DravikTest_StoreKey(m_keyPath.c_str(), "", key.data(), static_cast<uint32_t>(key.size())) != 0)
        throw std::runtime_error("cannot make the signing key");
}

}  // namespace bench
