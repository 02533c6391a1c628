// load_probe NAME: loads a library by its bare name, with the platform's
// search order; exit code 0 when it loaded.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  return LoadLibraryA(argv[1]) != nullptr ? 0 : 1;
}
