#include "password_flow.h"

#include <openssl/crypto.h>

#include <vector>

#include "error.h"

namespace dravik {
namespace {

thread_local const std::string* currentName = nullptr;

// Sets the name GetKeyFileNameForPassword reports while a prompt is open;
// prompts may nest (a PIN inside a container's opening), so the earlier name
// comes back afterwards.
class OpeningName {
 public:
  explicit OpeningName(const std::string& name) : previous_(currentName) { currentName = &name; }
  ~OpeningName() { currentName = previous_; }
  OpeningName(const OpeningName&) = delete;
  OpeningName& operator=(const OpeningName&) = delete;

 private:
  const std::string* previous_;
};

// One prompt: the typed bytes, or 184 when cancelled or answered with a
// length the buffer cannot hold.
template <typename Ask>
Secret prompt(Ask&& ask) {
  std::vector<char> buffer(DRAVIK_PASSWORD_BUFFER, '\0');
  int length = ask(buffer.data(), static_cast<int>(buffer.size()));
  if (length < 0 || length > static_cast<int>(buffer.size())) {
    OPENSSL_cleanse(buffer.data(), buffer.size());
    fail(DRAVIK_E_ABORTED);
  }
  Secret typed(buffer.data(), static_cast<size_t>(length));
  OPENSSL_cleanse(buffer.data(), buffer.size());
  return typed;
}

}  // namespace

Secret askPassword(const PasswordRequest& request, const std::function<bool(const Secret&)>& accept) {
  if (!request.ask) fail(request.wrongCode);
  OpeningName naming(request.name);
  for (int attempt = 1; attempt <= DRAVIK_MAX_PROMPTS; ++attempt) {
    Secret typed = prompt([&](char* buffer, int size) { return request.ask(buffer, size); });
    if (accept(typed)) return typed;
    if (!request.onWrong || request.onWrong(request.wrongCode) != 1) fail(request.wrongCode);
  }
  fail(DRAVIK_E_ABORTED);
}

Secret newPassword(const char* given, DravikPasswordCallback ask, const std::string& name) {
  if (given) return Secret(std::string(given));
  return askPassword({ask, nullptr, DRAVIK_E_ABORTED, name}, [](const Secret&) { return true; });
}

Secret askPin(DravikTokenPinCallback ask, const std::string& device, const std::string& label,
              const std::function<bool(const Secret&)>& accept) {
  if (!ask) fail(DRAVIK_E_ABORTED);
  OpeningName naming(device);
  const char* shownName = label.empty() ? nullptr : label.c_str();
  for (int attempt = 1; attempt <= DRAVIK_MAX_PROMPTS; ++attempt) {
    Secret typed = prompt([&](char* buffer, int size) { return ask(buffer, size, attempt, shownName); });
    if (accept(typed)) return typed;
  }
  fail(DRAVIK_E_ABORTED);
}

void awaitDevice(DravikDeviceRequestCallback ask, const std::string& device, const std::function<bool()>& present) {
  for (int attempt = 1; !present(); ++attempt) {
    if (!ask || attempt > DRAVIK_MAX_PROMPTS || ask(device.c_str(), attempt) != 1) fail(DRAVIK_E_ABORTED);
  }
}

const char* nameBeingOpened() { return currentName ? currentName->c_str() : nullptr; }

}  // namespace dravik

extern "C" DRAVIK_API const char* GetKeyFileNameForPassword(void) { return dravik::nameBeingOpened(); }
