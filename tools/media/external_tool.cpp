#include "external_tool.h"

#include <fcntl.h>
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

// In the child: only calls that are safe after fork. The exec's errno goes
// back through `status`, which closes on a successful exec.
[[noreturn]] void Child(char** argv, char** envp, int output, int status) {
  if (dup2(output, STDOUT_FILENO) < 0 || dup2(output, STDERR_FILENO) < 0) _exit(127);
  execvpe(argv[0], argv, envp);
  const int failure = errno;
  [[maybe_unused]] const ssize_t ignored = write(status, &failure, sizeof failure);
  _exit(127);
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

}  // namespace

bool RunTool(const ToolRun& run, std::string& error) {
  const std::string& program = run.args.at(0);
  std::vector<std::string> args = run.args, environment = Environment(run);
  std::vector<char*> argv = Pointers(args), envp = Pointers(environment);
  Pipe output, status;
  if (!output.Open() || !status.Open()) {
    error = "cannot run " + program + ": " + std::strerror(errno);
    return false;
  }
  const pid_t child = fork();
  if (child < 0) {
    error = "cannot run " + program + ": " + std::strerror(errno);
    return false;
  }
  if (child == 0) Child(argv.data(), envp.data(), output.write.Get(), status.write.Get());
  output.write.Close();
  status.write.Close();
  const std::string printed = ReadAll(output.read.Get());
  int failure = 0;
  const bool execFailed = read(status.read.Get(), &failure, sizeof failure) == sizeof failure;
  int waitStatus = 0;
  while (waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
  }
  if (execFailed) {
    error = failure == ENOENT ? program + " is not installed (it comes with the Debian package " + run.package + ")"
                              : "cannot start " + program + ": " + std::strerror(failure);
    return false;
  }
  if (WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0) return true;
  error = program + (WIFEXITED(waitStatus) ? " failed with exit code " + std::to_string(WEXITSTATUS(waitStatus))
                                           : " ended by signal " + std::to_string(WTERMSIG(waitStatus))) +
          Ending(printed);
  return false;
}

}  // namespace media
