// The person at the machine, as the description scripts them: the answers
// they give to boxes in turn, and what they do when a box asks them
// something (close the programs that hold files, supply missing files).
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace host {

class Person {
 public:
  Person(const std::vector<std::string>& answers, bool closeProgramsOnBox,
         std::vector<std::string> suppliesOnBox)
      : closeProgramsOnBox_(closeProgramsOnBox), suppliesOnBox_(std::move(suppliesOnBox)) {
    for (const std::string& answer : answers) {
      answers_.push_back(static_cast<int>(std::strtol(answer.c_str(), nullptr, 10)));
    }
  }

  // None when the script has no answer left.
  std::optional<int> NextAnswer() {
    if (next_ == answers_.size()) return std::nullopt;
    return answers_[next_++];
  }
  bool ClosesProgramsOnBox() const { return closeProgramsOnBox_; }
  // The files they supply at the first box, once.
  std::vector<std::string> TakeSupplies() { return std::exchange(suppliesOnBox_, {}); }

 private:
  std::vector<int> answers_;
  std::size_t next_ = 0;
  bool closeProgramsOnBox_ = false;
  std::vector<std::string> suppliesOnBox_;
};

}  // namespace host
