// The journal of every observable act of the machine, and the acts that a
// real run would not survive (unexpected boxes, a message loop that would
// wait for ever), which are journalled too.
#pragma once

#include <string>
#include <vector>

namespace host {

class RunJournal {
 public:
  void Note(const std::string& line) { lines_.push_back(line); }
  void Fail(const std::string& line) {
    errors_.push_back(line);
    Note("ERROR " + line);
  }
  const std::vector<std::string>& Lines() const { return lines_; }
  const std::vector<std::string>& Errors() const { return errors_; }

 private:
  std::vector<std::string> lines_;
  std::vector<std::string> errors_;
};

}  // namespace host
