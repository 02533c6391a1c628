// Bytes whose amount comes from outside data: getting them may fail
// without ending the program, so that a huge or hostile file is reported,
// not fatal.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

namespace boot {

class Block {
 public:
  // Nothing when no block of this size can be had.
  static std::optional<Block> Allocate(std::size_t size);

  char* Data() { return bytes_.get(); }
  std::size_t Size() const { return size_; }
  std::string_view View() const { return {bytes_.get(), size_}; }
  // Keeps the first `size` bytes, as when a file gives fewer than expected.
  void Shrink(std::size_t size) {
    if (size < size_) size_ = size;
  }

 private:
  Block(std::unique_ptr<char[]> bytes, std::size_t size) : bytes_(std::move(bytes)), size_(size) {}

  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
};

}  // namespace boot
