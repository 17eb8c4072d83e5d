#include "home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

namespace dravik {
namespace {

std::optional<std::filesystem::path>& chosenHome() {
  static std::optional<std::filesystem::path> home;
  return home;
}

std::filesystem::path defaultHome() {
  if (const char* env = std::getenv("DRAVIK_HOME"); env && *env) return env;
  const char* user = std::getenv("HOME");
  if (!user || !*user) {
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) user = entry->pw_dir;
  }
  return std::filesystem::path(user && *user ? user : "/tmp") / ".dravik";
}

}  // namespace

void setHomeFolder(const char* explicitHome) {
  chosenHome() = explicitHome && *explicitHome ? std::filesystem::path(explicitHome) : defaultHome();
}

void forgetHomeFolder() { chosenHome().reset(); }

std::filesystem::path homeFolder() { return chosenHome() ? *chosenHome() : defaultHome(); }

}  // namespace dravik
