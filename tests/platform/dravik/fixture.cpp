#include "fixture.h"

#include <cstdlib>
#include <cstring>

namespace dravik_test {

std::deque<std::optional<std::string>> Prompts::psePasswords;
std::deque<std::optional<std::string>> Prompts::keyPasswords;
std::deque<std::optional<std::string>> Prompts::newPasswords;
std::deque<std::optional<std::string>> Prompts::pins;
std::deque<int> Prompts::pseErrors;
std::deque<int> Prompts::keyErrors;
std::deque<int> Prompts::deviceAnswers;
std::vector<std::string> Prompts::log;
void (*Prompts::onDeviceRequest)(const char* device) = nullptr;

namespace {

std::string nameBeingOpened() {
  const char* name = GetKeyFileNameForPassword();
  return name ? name : "(null)";
}

int answer(std::deque<std::optional<std::string>>& queue, char* buffer, int size) {
  if (queue.empty()) return -1;
  std::optional<std::string> next = queue.front();
  queue.pop_front();
  if (!next) return -1;
  int length = static_cast<int>(next->size());
  if (length > size) return -1;
  std::memcpy(buffer, next->data(), next->size());
  return length;
}

int decide(std::deque<int>& queue) {
  if (queue.empty()) return 0;
  int next = queue.front();
  queue.pop_front();
  return next;
}

int psePassword(char* buffer, int size) {
  Prompts::log.push_back("pse-password:" + nameBeingOpened());
  return answer(Prompts::psePasswords, buffer, size);
}

int keyPassword(char* buffer, int size) {
  Prompts::log.push_back("key-password:" + nameBeingOpened());
  return answer(Prompts::keyPasswords, buffer, size);
}

int newPassword(char* buffer, int size) {
  Prompts::log.push_back("new-password:" + nameBeingOpened());
  return answer(Prompts::newPasswords, buffer, size);
}

int pin(char* buffer, int size, int attempt, const char* label) {
  Prompts::log.push_back("pin:" + nameBeingOpened() + ":" + (label ? label : "(null)") + ":" +
                         std::to_string(attempt));
  return answer(Prompts::pins, buffer, size);
}

int pseError(int code) {
  Prompts::log.push_back("pse-error:" + std::to_string(code));
  return decide(Prompts::pseErrors);
}

int keyError(int code) {
  Prompts::log.push_back("key-error:" + std::to_string(code));
  return decide(Prompts::keyErrors);
}

int deviceRequest(const char* device, int attempt) {
  Prompts::log.push_back(std::string("device:") + device + ":" + std::to_string(attempt));
  if (Prompts::onDeviceRequest) Prompts::onDeviceRequest(device);
  return decide(Prompts::deviceAnswers);
}

}  // namespace

void Prompts::reset() {
  psePasswords.clear();
  keyPasswords.clear();
  newPasswords.clear();
  pins.clear();
  pseErrors.clear();
  keyErrors.clear();
  deviceAnswers.clear();
  log.clear();
  onDeviceRequest = nullptr;
}

void Prompts::install() {
  SetPSEPasswordCallbackFun(psePassword);
  SetPSEErrorCallbackFun(pseError);
  SetKeysPasswordCallbackFun(keyPassword);
  SetKeysNewPasswordCallbackFun(newPassword);
  SetPrivateKeyErrorCallbackFun(keyError);
  SetTokenPinCallbackFun(pin);
  CADB_set_device_request_callback(deviceRequest);
}

int Prompts::count(const std::string& prefix) {
  int n = 0;
  for (const std::string& line : log) n += line.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
  return n;
}

void DravikFixture::SetUp() {
  DravikTest_Reset();
  Prompts::reset();
  std::string pattern = (std::filesystem::temp_directory_path() / "dravik-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
  home_ = pattern;
  ASSERT_EQ(PKCS7Init(home_.c_str(), 0), 0);
  Prompts::install();
}

void DravikFixture::TearDown() {
  DravikTest_Reset();
  EXPECT_EQ(DravikTest_LiveBuffers(), 0u) << "buffers still held";
  EXPECT_EQ(DravikTest_LiveContexts(), 0u) << "contexts still held";
  EXPECT_EQ(DravikTest_LiveRecords(), 0u) << "records still held";
  std::error_code error;
  std::filesystem::remove_all(home_, error);
}

void DravikFixture::makeContainer(const std::string& where, const std::string& password, const std::string& keyPem) {
  ASSERT_EQ(DravikTest_CreateContainer(where.c_str(), password.c_str()), 0);
  ASSERT_EQ(DravikTest_StoreKey(where.c_str(), password.c_str(), keyPem.data(), static_cast<uint32_t>(keyPem.size())),
            0);
}

std::string takeBuffer(char* buffer, uint32_t length) {
  std::string bytes = buffer ? std::string(buffer, length) : std::string();
  BufferFree(buffer);
  return bytes;
}

std::string takeText(char* text) {
  std::string value = text ? std::string(text) : std::string();
  BufferFree(text);
  return value;
}

}  // namespace dravik_test
