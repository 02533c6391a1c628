#include "string_table.h"

namespace resources {
namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kTable[] = {
#define STR(id, text) {id, text},
#include "strings.def"
#undef STR
};

}  // namespace

std::optional<std::string> LookUpString(int id) {
  for (const Entry& entry : kTable) {
    if (entry.id == id) return std::string(entry.text);
  }
  return std::nullopt;
}

std::size_t StringCount() { return sizeof kTable / sizeof kTable[0]; }

}  // namespace resources
