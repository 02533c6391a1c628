// Libraries loaded at run time and their entries.
#pragma once

#include "os_types.h"

namespace platform {

class Libraries {
 public:
  // Libraries loaded at run time: by full path, or platform libraries from
  // the system directory only.
  virtual Library LoadLibrary(const std::string& path) = 0;
  virtual Library LoadSystemLibrary(const std::string& name) = 0;
  // Limits where the platform looks for libraries that the program or its
  // libraries load by name to the system directory; false where the
  // platform cannot.
  virtual bool RestrictLibrarySearch() = 0;
  virtual void FreeLibrary(Library library) = 0;
  // The entry exported as `name` (none: by ordinal alone), or else the
  // one at `ordinal`; 0 when the library has neither.
  virtual Entry FindEntry(Library library, const char* name, int ordinal) = 0;
  // Calls a stdcall entry that FindEntry found with one, two or four
  // arguments, as many as it takes: another count would unbalance the
  // stack. 0 for other counts.
  virtual std::intptr_t CallEntry(Entry entry, std::span<const std::uintptr_t> args) = 0;

 protected:
  // Never deleted through the interface: a backend owns its parts.
  ~Libraries() = default;
};

}  // namespace platform
