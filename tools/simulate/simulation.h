// Running a bootstrap on a simulated machine folder and reporting it: the
// journal, the exit code, the run's log section, and what the drives hold
// afterwards. Shared by setup-sim and setup-media simulate.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>

#include "window_picture.h"

namespace simulation {

// 0 when the run kept to what a real machine allows, 1 otherwise. The
// window's last paint goes to `picture` when it is given.
int RunAndReport(const std::filesystem::path& root, std::ostream& out, bool listFiles,
                 std::optional<host::WindowPicture>* picture = nullptr);

// A scratch folder, removed when it goes out of scope.
class Scratch {
 public:
  Scratch();
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace simulation
