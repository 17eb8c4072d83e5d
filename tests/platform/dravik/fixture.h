// The common frame of the dravik tests: a fresh library with its own home
// folder per test, scripted answers for the callbacks, and the check that
// nothing the library handed out is still held when a test ends.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dravik/dravik.h"
#include "dravik/dravik_test.h"

namespace dravik_test {

// Answers the library's callbacks from queues; an empty queue cancels
// (passwords, PINs) or gives up (error and device callbacks). Every call is
// logged with what GetKeyFileNameForPassword said meanwhile.
struct Prompts {
  static std::deque<std::optional<std::string>> psePasswords;
  static std::deque<std::optional<std::string>> keyPasswords;
  static std::deque<std::optional<std::string>> newPasswords;
  static std::deque<std::optional<std::string>> pins;
  static std::deque<int> pseErrors;
  static std::deque<int> keyErrors;
  static std::deque<int> deviceAnswers;
  static std::vector<std::string> log;
  // Run by the device callback before it answers (to insert a token, say).
  static void (*onDeviceRequest)(const char* device);

  static void reset();
  static void install();
  static int count(const std::string& prefix);
};

class DravikFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path path(const std::string& name) const { return home_ / name; }
  std::string pathText(const std::string& name) const { return path(name).string(); }
  const std::filesystem::path& home() const { return home_; }

  // A container at path holding key, under password.
  void makeContainer(const std::string& where, const std::string& password, const std::string& keyPem);

 private:
  std::filesystem::path home_;
};

// Copies a library buffer into a string and frees it.
std::string takeBuffer(char* buffer, uint32_t length);
std::string takeText(char* text);

}  // namespace dravik_test
