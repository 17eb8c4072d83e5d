#include "container.h"

#include <cstdio>
#include <set>
#include <system_error>

#include "conf_file.h"
#include "dravik/dravik.h"
#include "error.h"
#include "key_file.h"

namespace dravik {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDescription = "container.conf";
constexpr const char* kFormat = "dravik-container-1";
constexpr const char* kKeyExtension = ".key";
// Keys may also lie one level down, in this sub-folder.
constexpr const char* kKeyFolder = "keys";
constexpr const char* kStagedExtension = ".new";

void addKeyFiles(const fs::path& folder, std::set<fs::path>& files) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == kKeyExtension && it->is_regular_file(error)) files.insert(it->path());
  }
}

// The key files in name order, so that keys are tried in a stable order.
std::set<fs::path> keyFiles(const fs::path& folder) {
  std::set<fs::path> files;
  addKeyFiles(folder, files);
  addKeyFiles(folder / kKeyFolder, files);
  return files;
}

fs::path staged(const fs::path& file) {
  fs::path name = file;
  name += kStagedExtension;
  return name;
}

}  // namespace

bool Container::exists(const fs::path& folder) {
  std::error_code error;
  return fs::is_regular_file(folder / kDescription, error);
}

void Container::create(const fs::path& folder, const Secret& password) {
  require(!exists(folder), DRAVIK_E_FILE_EXISTS);
  std::error_code error;
  fs::create_directories(folder, error);
  require(!error, DRAVIK_E_WRITE_OBJECTS);
  ConfValues values;
  values["format"] = kFormat;
  values["kdf"] = "pbkdf2-sha256";
  PasswordVerifier::make(password).store(values, "");
  require(writeConf(folder / kDescription, values), DRAVIK_E_WRITE_OBJECTS);
}

Container Container::open(const fs::path& folder) {
  std::optional<ConfValues> values = readConf(folder / kDescription);
  require(values && (*values)["format"] == kFormat, DRAVIK_E_CONTAINER);
  std::optional<PasswordVerifier> verifier = PasswordVerifier::from(*values, "");
  require(verifier.has_value(), DRAVIK_E_CONTAINER);
  Container container;
  container.folder_ = folder;
  container.verifier_ = *verifier;
  return container;
}

std::vector<NamedKey> Container::keys(const Secret& password) const {
  std::vector<NamedKey> keys;
  for (const fs::path& file : keyFiles(folder_)) {
    KeyPtr key;
    try {
      key = KeyFile::read(file).open(password);
    } catch (const DravikError&) {
      fail(DRAVIK_E_CONTAINER_KEY);
    }
    // The password matched the verifier, so a key it cannot open is damaged.
    require(key != nullptr, DRAVIK_E_CONTAINER_KEY);
    keys.push_back(NamedKey{file.lexically_relative(folder_).generic_string(), key});
  }
  return keys;
}

void Container::store(EVP_PKEY* key, const Secret& password, const std::string& name) const {
  std::string text = encryptKey(key, password);
  std::error_code error;
  if (!name.empty()) {
    fs::path file = folder_ / name;
    require(!fs::exists(file, error), DRAVIK_E_FILE_EXISTS);
    require(writePrivateFile(file, text), DRAVIK_E_WRITE_OBJECTS);
    return;
  }
  std::set<fs::path> taken = keyFiles(folder_);
  for (int number = 1; number < 100000; ++number) {
    char numbered[32];
    std::snprintf(numbered, sizeof numbered, "key%02d%s", number, kKeyExtension);
    fs::path file = folder_ / numbered;
    if (taken.count(file) || fs::exists(file, error)) continue;
    require(writePrivateFile(file, text), DRAVIK_E_WRITE_OBJECTS);
    return;
  }
  fail(DRAVIK_E_WRITE_OBJECTS);
}

void Container::changePassword(const Secret& old, const Secret& fresh) {
  std::vector<NamedKey> all = keys(old);
  std::vector<fs::path> written;
  auto discard = [&] {
    std::error_code error;
    for (const fs::path& file : written) fs::remove(file, error);
  };
  for (const NamedKey& named : all) {
    fs::path file = staged(folder_ / named.name);
    written.push_back(file);
    if (!writePrivateFile(file, encryptKey(named.key.get(), fresh))) {
      discard();
      fail(DRAVIK_E_WRITE_OBJECTS);
    }
  }
  std::optional<ConfValues> values = readConf(folder_ / kDescription);
  PasswordVerifier verifier = PasswordVerifier::make(fresh);
  if (!values) {
    discard();
    fail(DRAVIK_E_WRITE_OBJECTS);
  }
  verifier.store(*values, "");
  // The description is the point of no return: once it holds the new
  // verifier, the staged keys take the place of the old ones.
  if (!writeConf(folder_ / kDescription, *values)) {
    discard();
    fail(DRAVIK_E_WRITE_OBJECTS);
  }
  verifier_ = verifier;
  bool moved = true;
  for (const NamedKey& named : all) {
    std::error_code error;
    fs::rename(staged(folder_ / named.name), folder_ / named.name, error);
    moved = moved && !error;
  }
  require(moved, DRAVIK_E_WRITE_OBJECTS);
}

}  // namespace dravik
