// Walking folders and tokens (CADB_by_dir), and the existence questions
// about paths (CADB_is_dir, FileExists).
#include <set>
#include <system_error>

#include "api_call.h"
#include "certificates.h"
#include "file_bytes.h"
#include "container.h"
#include "encoding.h"
#include "key_file.h"
#include "locations.h"
#include "tokens.h"

namespace dravik {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxDepth = 32;
// Larger files are not read to tell what they hold: certificates and keys are
// small, and a walk must not load a disk image into memory.
constexpr std::uintmax_t kMaxClassifiedSize = 1 << 20;

// The library's own description files, which are not objects of a walk.
bool isDescription(const fs::path& entry, bool tokenRoot) {
  std::string name = entry.filename().string();
  if (tokenRoot && name == "token.conf") return true;
  return name == "container.conf" && Container::exists(entry.parent_path());
}

enum class FileKind { Certificate, Key, Other };

FileKind classify(const fs::path& file) {
  std::error_code error;
  std::uintmax_t size = fs::file_size(file, error);
  if (error || size > kMaxClassifiedSize) return FileKind::Other;
  std::string bytes;
  try {
    bytes = readFileBytes(file);
  } catch (const DravikError&) {
    return FileKind::Other;
  }
  if (!decodeCertificates(bytes).empty()) return FileKind::Certificate;
  try {
    KeyFile::parse(bytes);
    return FileKind::Key;
  } catch (const DravikError&) {
    return FileKind::Other;
  }
}

class Walk {
 public:
  Walk(int flags, DravikWalkCallback callback, void* context) : flags_(flags), callback_(callback), context_(context) {}

  // Returns false when the callback stopped the walk.
  bool folder(const fs::path& local, const std::string& name, const std::string& separator, bool tokenRoot,
              int depth) {
    std::set<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(local, error), end; !error && it != end; it.increment(error))
      entries.insert(it->path());
    for (const fs::path& entry : entries) {
      if (isDescription(entry, tokenRoot)) continue;
      std::string entryName = name + separator + entry.filename().string();
      fs::file_status status = fs::symlink_status(entry, error);
      // Links are followed to tell what they name, but never descended, so
      // that a link to a parent cannot make the walk go round.
      bool link = fs::is_symlink(status);
      if (link) status = fs::status(entry, error);
      if (fs::is_directory(status)) {
        if (selectsFolder(entry) && !report(entryName)) return false;
        if (!link && (flags_ & DRAVIK_WALK_RECURSIVE) && depth < kMaxDepth &&
            !folder(entry, entryName, separator, false, depth + 1))
          return false;
      } else if (fs::is_regular_file(status) && selectsFile(entry) && !report(entryName)) {
        return false;
      }
    }
    return true;
  }

 private:
  bool selectsFolder(const fs::path& entry) const {
    return (flags_ & DRAVIK_WALK_ENTRIES) || ((flags_ & DRAVIK_WALK_CONTAINERS) && Container::exists(entry));
  }

  bool selectsFile(const fs::path& entry) const {
    if (flags_ & (DRAVIK_WALK_ENTRIES | DRAVIK_WALK_FILES)) return true;
    if (!(flags_ & (DRAVIK_WALK_CONTAINERS | DRAVIK_WALK_CERTIFICATES | DRAVIK_WALK_OBJECTS))) return false;
    switch (classify(entry)) {
      case FileKind::Certificate:
        return flags_ & DRAVIK_WALK_CERTIFICATES;
      case FileKind::Key:
        return flags_ & DRAVIK_WALK_CONTAINERS;
      default:
        return flags_ & DRAVIK_WALK_OBJECTS;
    }
  }

  bool report(const std::string& name) { return callback_(name.c_str(), context_) != 0; }

  int flags_;
  DravikWalkCallback callback_;
  void* context_;
};

// The path as given, without separators at its end, so that names join
// cleanly ("/certs/" and "/certs" report "/certs/a.cer").
std::string withoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

}  // namespace
}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int CADB_by_dir(const char* path, int flags, DravikWalkCallback callback, void* context) {
  Args args;
  args.text("path", path).hex("flags", static_cast<uint32_t>(flags)).handle("callback",
                                                                            reinterpret_cast<const void*>(callback));
  args.handle("context", context);
  return callAnswer("CADB_by_dir", Needs::Init, args, [&] {
    require(path != nullptr && callback != nullptr, DRAVIK_E_NULL_PARAM);
    Location where = locate(path);
    if (where.onToken) requireToken(where.device);
    std::error_code error;
    require(std::filesystem::is_directory(where.local, error), DRAVIK_E_READ_INPUT);
    Walk walk(flags, callback, context);
    if (where.onToken)
      walk.folder(where.local, tokenPath(where.device, where.inner), "\\", where.inner.empty(), 0);
    else
      walk.folder(where.local, withoutTrailingSeparators(path), "/", false, 0);
    return 1;
  });
}

extern "C" DRAVIK_API int CADB_is_dir(const char* path) {
  return callAnswer("CADB_is_dir", Needs::Init, Args().text("path", path), [&] {
    require(path != nullptr, DRAVIK_E_NULL_PARAM);
    Location where = locate(path);
    if (where.onToken && !tokenPresent(where.device)) return 0;
    std::error_code error;
    return std::filesystem::is_directory(where.local, error) ? 1 : 0;
  });
}

extern "C" DRAVIK_API int FileExists(const char* path) {
  return callAnswer("FileExists", Needs::Init, Args().text("path", path), [&] {
    require(path != nullptr, DRAVIK_E_NULL_PARAM);
    Location where = locate(path);
    if (where.onToken && !tokenPresent(where.device)) return 0;
    std::error_code error;
    return std::filesystem::exists(where.local, error) ? 1 : 0;
  });
}
