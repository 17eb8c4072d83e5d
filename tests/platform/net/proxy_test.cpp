// The proxy setting answered by InternetQueryOption from the environment.
#include <wininet/wininet.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

const char* const kVariables[] = {"http_proxy", "https_proxy", "all_proxy", "no_proxy",
                                  "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "NO_PROXY"};

// Sets the proxy variables for one test and restores the process environment afterwards.
class ProxyEnvironment {
 public:
  explicit ProxyEnvironment(const std::map<std::string, std::string>& values) {
    for (const char* name : kVariables) {
      const char* old = std::getenv(name);
      if (old) saved_[name] = old;
      unsetenv(name);
    }
    for (const auto& entry : values) setenv(entry.first.c_str(), entry.second.c_str(), 1);
  }
  ProxyEnvironment(const ProxyEnvironment&) = delete;
  ProxyEnvironment& operator=(const ProxyEnvironment&) = delete;
  ~ProxyEnvironment() {
    for (const char* name : kVariables) unsetenv(name);
    for (const auto& entry : saved_) setenv(entry.first.c_str(), entry.second.c_str(), 1);
  }

 private:
  std::map<std::string, std::string> saved_;
};

struct Answer {
  DWORD accessType = 0;
  std::wstring proxy;
  std::wstring bypass;
};

// Asks in the two steps callers use: the size, then the answer.
Answer queryWide() {
  DWORD size = 0;
  EXPECT_FALSE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PROXY, nullptr, &size));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_GE(size, sizeof(INTERNET_PROXY_INFOW));
  std::vector<unsigned char> buffer(size);
  EXPECT_TRUE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PROXY, buffer.data(), &size));
  auto* info = reinterpret_cast<INTERNET_PROXY_INFOW*>(buffer.data());
  return Answer{info->dwAccessType, info->lpszProxy, info->lpszProxyBypass};
}

struct ProxyCase {
  const char* name;
  std::map<std::string, std::string> environment;
  DWORD accessType;
  const wchar_t* proxy;
  const wchar_t* bypass;
};

class ProxyCases : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyCases, EnvironmentBecomesProxyList) {
  const ProxyCase& c = GetParam();
  ProxyEnvironment environment(c.environment);
  Answer answer = queryWide();
  EXPECT_EQ(c.accessType, answer.accessType);
  EXPECT_EQ(std::wstring(c.proxy), answer.proxy);
  EXPECT_EQ(std::wstring(c.bypass), answer.bypass);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, ProxyCases,
    ::testing::Values(
        ProxyCase{"none", {}, INTERNET_OPEN_TYPE_DIRECT, L"", L""},
        ProxyCase{"no_proxy_alone", {{"no_proxy", "localhost"}}, INTERNET_OPEN_TYPE_DIRECT, L"", L"localhost"},
        ProxyCase{"http_only", {{"http_proxy", "http://p1:8080/"}}, INTERNET_OPEN_TYPE_PROXY, L"http=p1:8080", L""},
        ProxyCase{"https_only", {{"https_proxy", "http://p2:8443"}}, INTERNET_OPEN_TYPE_PROXY, L"https=p2:8443", L""},
        ProxyCase{"http_and_https",
                  {{"http_proxy", "p1:8080"}, {"https_proxy", "p2:8443"}},
                  INTERNET_OPEN_TYPE_PROXY, L"http=p1:8080 https=p2:8443", L""},
        ProxyCase{"all_proxy_plain", {{"all_proxy", "http://p3:3128"}}, INTERNET_OPEN_TYPE_PROXY, L"p3:3128", L""},
        ProxyCase{"all_proxy_socks", {{"all_proxy", "socks5://s1:1080"}}, INTERNET_OPEN_TYPE_PROXY, L"socks=s1:1080", L""},
        ProxyCase{"socks_before_own_scheme",
                  {{"all_proxy", "socks://s1"}, {"http_proxy", "p1:8080"}},
                  INTERNET_OPEN_TYPE_PROXY, L"socks=s1:1080 http=p1:8080", L""},
        ProxyCase{"upper_case", {{"HTTPS_PROXY", "https://p4"}}, INTERNET_OPEN_TYPE_PROXY, L"https=p4:443", L""},
        ProxyCase{"lower_case_wins",
                  {{"http_proxy", "lower:1"}, {"HTTP_PROXY", "upper:2"}},
                  INTERNET_OPEN_TYPE_PROXY, L"http=lower:1", L""},
        ProxyCase{"credentials_dropped", {{"http_proxy", "http://user:secret@p5:3128"}}, INTERNET_OPEN_TYPE_PROXY,
                  L"http=p5:3128", L""},
        ProxyCase{"default_port", {{"http_proxy", "http://p6"}}, INTERNET_OPEN_TYPE_PROXY, L"http=p6:80", L""},
        ProxyCase{"ipv6_host", {{"http_proxy", "http://[::1]:8080"}}, INTERNET_OPEN_TYPE_PROXY, L"http=[::1]:8080", L""},
        ProxyCase{"unusable_value", {{"http_proxy", "http://:8080"}}, INTERNET_OPEN_TYPE_DIRECT, L"", L""},
        ProxyCase{"bad_port", {{"http_proxy", "p7:80x"}}, INTERNET_OPEN_TYPE_DIRECT, L"", L""},
        ProxyCase{"empty_value", {{"http_proxy", ""}}, INTERNET_OPEN_TYPE_DIRECT, L"", L""},
        ProxyCase{"bypass_list",
                  {{"http_proxy", "p1:8080"}, {"no_proxy", "localhost, .example.com,,10.0.0.1"}},
                  INTERNET_OPEN_TYPE_PROXY, L"http=p1:8080", L"localhost;*.example.com;10.0.0.1"}),
    [](const ::testing::TestParamInfo<ProxyCase>& info) { return info.param.name; });

TEST(InternetQueryOption, SizeQueryProtocol) {
  ProxyEnvironment environment(std::map<std::string, std::string>{{"http_proxy", "p1:8080"}});
  DWORD needed = 0;
  ASSERT_FALSE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PROXY, nullptr, &needed));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(sizeof(INTERNET_PROXY_INFOW) + (std::wstring(L"http=p1:8080").size() + 1 + 1) * sizeof(wchar_t),
            needed);
  // One byte short is still too small and reports the same size.
  std::vector<unsigned char> buffer(needed);
  DWORD size = needed - 1;
  EXPECT_FALSE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PROXY, buffer.data(), &size));
  EXPECT_EQ(needed, size);
  size = needed;
  EXPECT_TRUE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PROXY, buffer.data(), &size));
}

TEST(InternetQueryOption, NarrowFormAnswersUtf8) {
  ProxyEnvironment environment(std::map<std::string, std::string>{{"https_proxy", "p2:8443"}, {"all_proxy", "socks4://s1:1081"}});
  DWORD size = 0;
  InternetQueryOptionA(nullptr, INTERNET_OPTION_PROXY, nullptr, &size);
  std::vector<unsigned char> buffer(size);
  ASSERT_TRUE(InternetQueryOptionA(nullptr, INTERNET_OPTION_PROXY, buffer.data(), &size));
  auto* info = reinterpret_cast<INTERNET_PROXY_INFOA*>(buffer.data());
  EXPECT_EQ(static_cast<DWORD>(INTERNET_OPEN_TYPE_PROXY), info->dwAccessType);
  EXPECT_STREQ("socks=s1:1081 https=p2:8443", info->lpszProxy);
}

struct RefusalCase {
  const char* name;
  HINTERNET handle;
  DWORD option;
  bool withLength;
  DWORD error;
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, FailWithErrorAndSystemText) {
  const RefusalCase& c = GetParam();
  DWORD size = 0;
  SetLastError(0);
  EXPECT_FALSE(InternetQueryOptionW(c.handle, c.option, nullptr, c.withLength ? &size : nullptr));
  ASSERT_EQ(c.error, GetLastError());
  // The caller's error text comes from the system.
  char* text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, c.error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  ASSERT_NE(nullptr, text);
  EXPECT_GT(length, 2u);
  EXPECT_EQ("\r\n", std::string(text).substr(length - 2));
  LocalFree(text);
}

static int someHandle;

INSTANTIATE_TEST_SUITE_P(
    Requests, Refusals,
    ::testing::Values(RefusalCase{"other_option", nullptr, 39, true, ERROR_INTERNET_INVALID_OPTION},
                      RefusalCase{"a_handle", &someHandle, INTERNET_OPTION_PROXY, true,
                                  ERROR_INTERNET_INCORRECT_HANDLE_TYPE},
                      RefusalCase{"no_length", nullptr, INTERNET_OPTION_PROXY, false, ERROR_INVALID_PARAMETER}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

}  // namespace
