#include "block.h"

#include <new>

namespace boot {

std::optional<Block> Block::Allocate(std::size_t size) {
  std::unique_ptr<char[]> bytes(new (std::nothrow) char[size == 0 ? 1 : size]);
  if (!bytes) return std::nullopt;
  return Block(std::move(bytes), size);
}

}  // namespace boot
