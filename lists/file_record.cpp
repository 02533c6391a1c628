#include "file_record.h"

#include "text.h"

namespace boot {
namespace {

std::string Field(std::string_view text, int n, std::size_t length) {
  return GetField(text, n, ';').substr(0, length);
}

int Number(std::string_view text, int n) { return ParseLeadingInt(Field(text, n, kShortFieldLength)); }

}  // namespace

RegisterKind RegisterKindOf(std::string_view registration) {
  const int number = registration.size() <= 2 ? ParseLeadingInt(registration) : 3;
  if (number <= 0) return RegisterKind::kNone;
  if (number == 1) return RegisterKind::kLibrary;
  return number == 2 ? RegisterKind::kProgram : RegisterKind::kRegistryFile;
}

FileRecord ParseFileRecord(std::string_view text) {
  FileRecord record;
  record.destName = Field(text, 1, kDestNameLength);
  record.skipIfInUse = Number(text, 2);
  record.destCode = Number(text, 3);
  record.version = Field(text, 4, kVersionLength);
  record.disk = Number(text, 5);
  record.sourceName = Field(text, 6, kShortFieldLength);
  record.registration = Field(text, 7, kShortFieldLength);
  record.secondSource = Field(text, 8, kShortFieldLength);
  record.secondDisk = Number(text, 9);
  return record;
}

}  // namespace boot
