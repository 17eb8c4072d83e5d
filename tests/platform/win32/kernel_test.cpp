// Kernel stand-ins: system texts, code pages, arithmetic.
#include <win32/desktop.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

struct TextCase {
  DWORD code;
  const char* text;
};

class SystemTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(SystemTexts, AllocatedAndCopied) {
  const TextCase& c = GetParam();
  char* allocated = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, c.code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                reinterpret_cast<LPSTR>(&allocated), 0, nullptr);
  ASSERT_NE(nullptr, allocated);
  EXPECT_EQ(std::string(c.text) + "\r\n", allocated);
  EXPECT_EQ(std::string(allocated).size(), length);
  EXPECT_EQ(nullptr, LocalFree(allocated));

  wchar_t wide[256];
  DWORD wideLength = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, c.code, 0, wide, 256, nullptr);
  EXPECT_EQ(length, wideLength);
}

INSTANTIATE_TEST_SUITE_P(Codes, SystemTexts,
                         ::testing::Values(TextCase{ERROR_SUCCESS, "The operation completed successfully."},
                                           TextCase{ERROR_CLASS_ALREADY_EXISTS, "Class already exists."},
                                           TextCase{ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle."},
                                           TextCase{ERROR_INSUFFICIENT_BUFFER,
                                                    "The data area passed to a system call is too small."},
                                           TextCase{ERROR_TIMEOUT,
                                                    "This operation returned because the timeout period expired."}));

TEST(FormatMessage, UnknownCodeAndSmallBufferFail) {
  char buffer[8];
  EXPECT_EQ(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 99999, 0, buffer, 8, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND), GetLastError());
  EXPECT_EQ(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_CLASS_ALREADY_EXISTS, 0, buffer, 8, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST(LastError, IsPerThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD seen = 1;
  std::thread other([&] { seen = GetLastError(); });
  other.join();
  EXPECT_EQ(0u, seen);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

struct RoundTrip {
  const char* name;
  std::string utf8;
  std::wstring wide;
};

class CodePages : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CodePages, SystemCodePageIsUtf8BothWays) {
  const RoundTrip& c = GetParam();
  for (UINT page : {static_cast<UINT>(CP_ACP), static_cast<UINT>(CP_UTF8)}) {
    int wideSize = MultiByteToWideChar(page, 0, c.utf8.data(), static_cast<int>(c.utf8.size()), nullptr, 0);
    ASSERT_EQ(static_cast<int>(c.wide.size()), wideSize);
    std::wstring wide(static_cast<size_t>(wideSize), L'\0');
    EXPECT_EQ(wideSize, MultiByteToWideChar(page, 0, c.utf8.data(), static_cast<int>(c.utf8.size()), &wide[0], wideSize));
    EXPECT_EQ(c.wide, wide);
    int narrowSize = WideCharToMultiByte(page, 0, c.wide.data(), static_cast<int>(c.wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    ASSERT_EQ(static_cast<int>(c.utf8.size()), narrowSize);
    std::string narrow(static_cast<size_t>(narrowSize), '\0');
    WideCharToMultiByte(page, 0, c.wide.data(), static_cast<int>(c.wide.size()), &narrow[0], narrowSize, nullptr,
                        nullptr);
    EXPECT_EQ(c.utf8, narrow);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CodePages,
    ::testing::Values(RoundTrip{"ascii", "pkcs11", L"pkcs11"},
                      RoundTrip{"cyrillic", "\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87", L"\x041A\x043B\x044E\x0447"},
                      RoundTrip{"beyond_bmp", "\xF0\x9F\x94\x91", L"\x1F511"},
                      RoundTrip{"embedded_nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)}),
    [](const ::testing::TestParamInfo<RoundTrip>& info) { return info.param.name; });

struct BadInput {
  const char* name;
  std::string utf8;
  std::wstring replaced;
};

class InvalidUtf8 : public ::testing::TestWithParam<BadInput> {};

TEST_P(InvalidUtf8, ReplacedOrRefused) {
  const BadInput& c = GetParam();
  wchar_t out[16];
  int n = MultiByteToWideChar(CP_UTF8, 0, c.utf8.data(), static_cast<int>(c.utf8.size()), out, 16);
  EXPECT_EQ(c.replaced, std::wstring(out, static_cast<size_t>(n)));
  EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.utf8.data(), static_cast<int>(c.utf8.size()),
                                   out, 16));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
}

INSTANTIATE_TEST_SUITE_P(Sequences, InvalidUtf8,
                         ::testing::Values(BadInput{"lone_continuation", "a\x80" "b", L"a\xFFFD" L"b"},
                                           BadInput{"overlong", "\xC0\xAF", L"\xFFFD"},
                                           BadInput{"truncated", "\xE2\x82", L"\xFFFD"},
                                           BadInput{"surrogate", "\xED\xA0\x80", L"\xFFFD"}),
                         [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST(CodePages, SizesAndRefusals) {
  char small[2];
  EXPECT_EQ(0, WideCharToMultiByte(CP_ACP, 0, L"abc", 3, small, 2, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(4, WideCharToMultiByte(CP_ACP, 0, L"abc", -1, nullptr, 0, nullptr, nullptr));  // with the NUL
  EXPECT_EQ(0, WideCharToMultiByte(CP_ACP, 0, L"abc", 0, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(0, MultiByteToWideChar(1251, 0, "a", 1, nullptr, 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  wchar_t bad[] = {static_cast<wchar_t>(0xD800), 0};
  EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, bad, 1, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
}

struct MulDivCase {
  int a, b, c, result;
};

TEST(MulDiv, RoundsHalfAwayFromZero) {
  const MulDivCase cases[] = {{400, 4, 8, 200}, {300, 8, 16, 150}, {5, 1, 2, 3},          {-5, 1, 2, -3},
                              {7, 3, 0, -1},    {1 << 30, 8, 1, -1}, {10, -3, 4, -8}};
  for (const auto& c : cases) EXPECT_EQ(c.result, MulDiv(c.a, c.b, c.c)) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Identity, ThreadIdsDifferAndStay) {
  DWORD mine = GetCurrentThreadId();
  DWORD theirs = 0;
  std::thread other([&] { theirs = GetCurrentThreadId(); });
  other.join();
  EXPECT_NE(mine, theirs);
  EXPECT_EQ(mine, GetCurrentThreadId());
  EXPECT_NE(nullptr, GetModuleHandleW(nullptr));
  EXPECT_EQ(nullptr, GetModuleHandleW(L"other.dll"));
}

}  // namespace

TEST(Drives, ListAndTypesFollowTheDesktop) {
  win32::desktop::Settings saved = win32::desktop::settings();
  wchar_t buffer[64];
  ASSERT_EQ(2u, GetLogicalDriveStringsW(64, buffer));  // "/" and its NUL by default
  EXPECT_EQ(std::wstring(L"/"), buffer);
  EXPECT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeW(nullptr));

  win32::desktop::Settings settings = saved;
  settings.drives = {{L"A:\\", DRIVE_REMOVABLE}, {L"/", DRIVE_FIXED}, {L"D:\\", DRIVE_CDROM}};
  win32::desktop::setSettings(settings);
  EXPECT_EQ(11u, GetLogicalDriveStringsW(0, nullptr));  // three roots with their NULs, and the last
  EXPECT_EQ(11u, GetLogicalDriveStringsW(10, buffer));
  ASSERT_EQ(10u, GetLogicalDriveStringsW(64, buffer));
  EXPECT_EQ(std::wstring(L"A:\\\0/\0D:\\\0", 10), std::wstring(buffer, 10));
  struct Case {
    const wchar_t* root;
    UINT type;
  } cases[] = {{L"A:\\", DRIVE_REMOVABLE}, {L"/", DRIVE_FIXED}, {L"D:\\", DRIVE_CDROM}, {L"a:\\", DRIVE_NO_ROOT_DIR},
               {L"/tmp", DRIVE_NO_ROOT_DIR}};
  for (const Case& c : cases) EXPECT_EQ(c.type, GetDriveTypeW(c.root)) << c.root;
  win32::desktop::setSettings(saved);
}
