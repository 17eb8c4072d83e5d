#include "openssl_cli.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>

extern char** environ;

namespace dravik_test {
namespace {

std::filesystem::path writeConfig(const std::filesystem::path& folder) {
  std::filesystem::path config = folder / "openssl-gost.cnf";
  std::ofstream out(config);
  out << "openssl_conf = openssl_def\n"
         "[openssl_def]\n"
         "engines = engine_section\n"
         "[engine_section]\n"
         "gost = gost_section\n"
         "[gost_section]\n"
         "engine_id = gost\n"
         "default_algorithms = ALL\n";
  return config;
}

}  // namespace

CliResult runOpenssl(const std::filesystem::path& folder, const std::vector<std::string>& args) {
  std::filesystem::path config = writeConfig(folder);
  std::filesystem::path log = folder / "openssl-output.txt";

  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) {
    if (std::strncmp(*entry, "OPENSSL_CONF=", 13) != 0 && std::strncmp(*entry, "LD_PRELOAD=", 11) != 0)
      environment.emplace_back(*entry);
  }
  environment.push_back("OPENSSL_CONF=" + config.string());
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(&entry[0]);
  envp.push_back(nullptr);

  std::vector<std::string> words = {"openssl"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t child = 0;
  CliResult result;
  int spawned = posix_spawnp(&child, "openssl", &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    result.output = "cannot start openssl";
    return result;
  }
  int status = 0;
  if (waitpid(child, &status, 0) == child && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  std::ifstream in(log);
  result.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return result;
}

}  // namespace dravik_test
