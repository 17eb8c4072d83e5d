// The temporary folder and unique temporary file names.
#include <win32/kernel.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

std::string toUtf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size,
                        nullptr, nullptr);
  return text;
}

std::wstring toWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

std::wstring nameFor(const std::wstring& folder, const std::wstring& prefix, UINT number) {
  static const wchar_t digits[] = L"0123456789ABCDEF";
  std::wstring hex;
  for (UINT rest = number; rest != 0; rest >>= 4) hex.insert(hex.begin(), digits[rest & 0xF]);
  std::wstring name = folder;
  if (!name.empty() && name.back() != L'/' && name.back() != L'\\') name += L'/';
  return name + prefix.substr(0, 3) + hex + L".TMP";
}

// Where the search for a free number starts: different for each call and each process.
UINT startNumber() {
  static std::atomic<UINT> calls{0};
  UINT seed = GetTickCount() ^ (GetCurrentProcessId() << 5) ^ (calls++ * 7919u);
  return (seed & 0xFFFFu) ? (seed & 0xFFFFu) : 1u;
}

}  // namespace

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::wstring folder = toWide(fromEnvironment && *fromEnvironment ? fromEnvironment : "/tmp");
  if (folder.empty() || folder.back() != L'/') folder += L'/';
  const DWORD needed = static_cast<DWORD>(folder.size()) + 1;
  if (!buffer || bufferLength < needed) return needed;
  folder.copy(buffer, folder.size());
  buffer[folder.size()] = L'\0';
  return static_cast<DWORD>(folder.size());
}

UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefixString, UINT unique, LPWSTR tempFileName) {
  if (!pathName || !tempFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::wstring folder = pathName;
  const std::wstring prefix = prefixString ? prefixString : L"";
  auto deliver = [&](const std::wstring& name, UINT number) -> UINT {
    name.copy(tempFileName, name.size());
    tempFileName[name.size()] = L'\0';
    return number;
  };
  if (unique != 0) {
    const std::wstring name = nameFor(folder, prefix, unique & 0xFFFFu);
    if (name.size() + 1 > MAX_PATH) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return 0;
    }
    return deliver(name, unique & 0xFFFFu);
  }
  // Every 16-bit number but 0 is tried once at most, from a varying start.
  UINT number = startNumber();
  for (UINT tried = 0; tried < 0xFFFFu; ++tried, number = number % 0xFFFFu + 1) {
    const std::wstring name = nameFor(folder, prefix, number);
    if (name.size() + 1 > MAX_PATH) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return 0;
    }
    const int fd = ::open(toUtf8(name).c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return deliver(name, number);
    }
    if (errno == EEXIST) continue;
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    return 0;
  }
  SetLastError(ERROR_ACCESS_DENIED);
  return 0;
}
