#include "external_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace media {
namespace {

// What of a tool's output goes into a message.
constexpr std::size_t kOutputTail = 1500;

class Fd {
 public:
  Fd() = default;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Close(); }
  int Get() const { return fd_; }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

struct Pipe {
  Fd read, write;
  bool Open() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    read.Reset(ends[0]);
    write.Reset(ends[1]);
    return true;
  }
};

// Our environment with the run's variables in place of ours.
std::vector<std::string> Environment(const ToolRun& run) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    bool replaced = false;
    for (const auto& [name, value] : run.environment) replaced = replaced || text.starts_with(name + "=");
    if (!replaced) result.push_back(text);
  }
  for (const auto& [name, value] : run.environment) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      text.append(buffer, static_cast<std::size_t>(got));
      if (text.size() > 4 * kOutputTail) text.erase(0, text.size() - kOutputTail);
    } else if (got == 0 || errno != EINTR) {
      return text;
    }
  }
}

std::string Ending(const std::string& output) {
  std::string tail = output.size() > kOutputTail ? output.substr(output.size() - kOutputTail) : output;
  while (!tail.empty() && (tail.back() == '\n' || tail.back() == ' ')) tail.pop_back();
  return tail.empty() ? "" : ":\n" + tail;
}

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  posix_spawn_file_actions_t* Get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
};

}  // namespace

bool RunTool(const ToolRun& run, std::string& error) {
  const std::string& program = run.args.at(0);
  std::vector<std::string> args = run.args, environment = Environment(run);
  std::vector<char*> argv = Pointers(args), envp = Pointers(environment);
  Pipe output;
  SpawnActions actions;
  // No terminal to answer a question on (a pass-phrase): it fails instead.
  // The child's output goes into the pipe, for the message when it fails.
  if (!output.Open() ||
      posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0 || posix_spawn_file_actions_adddup2(actions.Get(), output.write.Get(), STDOUT_FILENO) != 0 ||
      posix_spawn_file_actions_adddup2(actions.Get(), output.write.Get(), STDERR_FILENO) != 0) {
    error = "cannot run " + program + ": " + std::strerror(errno);
    return false;
  }
  // A spawn is a fork and exec that shares the memory until the exec, so
  // a large process does not copy its page tables for every tool.
  pid_t child = 0;
  const int failure = posix_spawnp(&child, program.c_str(), actions.Get(), nullptr, argv.data(), envp.data());
  output.write.Close();
  if (failure != 0) {
    error = failure == ENOENT ? program + " is not installed (it comes with the Debian package " + run.package + ")"
                              : "cannot start " + program + ": " + std::strerror(failure);
    return false;
  }
  const std::string printed = ReadAll(output.read.Get());
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  error = program + (WIFEXITED(status) ? " failed with exit code " + std::to_string(WEXITSTATUS(status))
                                       : " ended by signal " + std::to_string(WTERMSIG(status))) +
          Ending(printed);
  return false;
}

}  // namespace media
