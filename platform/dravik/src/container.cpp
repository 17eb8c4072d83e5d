#include "container.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <system_error>

#include "conf_file.h"
#include "dravik/dravik.h"
#include "error.h"
#include "key_file.h"

namespace dravik {
namespace {

constexpr const char* kDescription = "container.conf";
constexpr const char* kFormat = "dravik-container-1";
constexpr const char* kKeyExtension = ".key";

// The key files in name order, so that keys are tried in a stable order.
std::set<std::filesystem::path> keyFiles(const std::filesystem::path& folder) {
  std::set<std::filesystem::path> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == kKeyExtension && it->is_regular_file(error)) files.insert(it->path());
  }
  return files;
}

}  // namespace

bool Container::exists(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_regular_file(folder / kDescription, error);
}

void Container::create(const std::filesystem::path& folder, const Secret& password) {
  require(!exists(folder), DRAVIK_E_FILE_EXISTS);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  require(!error, DRAVIK_E_WRITE_OBJECTS);
  ConfValues values;
  values["format"] = kFormat;
  values["kdf"] = "pbkdf2-sha256";
  PasswordVerifier::make(password).store(values, "");
  require(writeConf(folder / kDescription, values), DRAVIK_E_WRITE_OBJECTS);
}

Container Container::open(const std::filesystem::path& folder) {
  std::optional<ConfValues> values = readConf(folder / kDescription);
  require(values && (*values)["format"] == kFormat, DRAVIK_E_CONTAINER);
  std::optional<PasswordVerifier> verifier = PasswordVerifier::from(*values, "");
  require(verifier.has_value(), DRAVIK_E_CONTAINER);
  Container container;
  container.folder_ = folder;
  container.verifier_ = *verifier;
  return container;
}

std::vector<KeyPtr> Container::keys(const Secret& password) const {
  std::vector<KeyPtr> keys;
  for (const std::filesystem::path& file : keyFiles(folder_)) {
    KeyPtr key;
    try {
      key = KeyFile::read(file).open(password);
    } catch (const DravikError&) {
      fail(DRAVIK_E_CONTAINER_KEY);
    }
    // The password matched the verifier, so a key it cannot open is damaged.
    require(key != nullptr, DRAVIK_E_CONTAINER_KEY);
    keys.push_back(key);
  }
  return keys;
}

void Container::store(EVP_PKEY* key, const Secret& password) const {
  std::string text = encryptKey(key, password);
  std::set<std::filesystem::path> taken = keyFiles(folder_);
  for (int number = 1; number < 100000; ++number) {
    char name[32];
    std::snprintf(name, sizeof name, "key%02d%s", number, kKeyExtension);
    std::filesystem::path file = folder_ / name;
    std::error_code error;
    if (taken.count(file) || std::filesystem::exists(file, error)) continue;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    require(out && out.write(text.data(), static_cast<std::streamsize>(text.size())) && out.flush(),
            DRAVIK_E_WRITE_OBJECTS);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 error);
    return;
  }
  fail(DRAVIK_E_WRITE_OBJECTS);
}

}  // namespace dravik
