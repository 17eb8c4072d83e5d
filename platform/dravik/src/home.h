// The library's home folder, where the simulated tokens live.
#pragma once

#include <filesystem>

namespace dravik {

// explicitHome: the folder PKCS7Init was given, or NULL for DRAVIK_HOME or
// the per-user default.
void setHomeFolder(const char* explicitHome);
// Back to the default, read afresh at each use.
void forgetHomeFolder();
// The folder in force; before any initialisation, the one setHomeFolder(NULL)
// would choose.
std::filesystem::path homeFolder();

}  // namespace dravik
