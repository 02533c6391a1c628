# Build steps shared by the README's commands. Each configuration lives in
# build/<name>; a second run only rebuilds what changed.

jobs=$(nproc 2>/dev/null || echo 2)

configure_and_build() {  # dir, cmake args...
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  fi
  cmake --build "$dir" -j "$jobs"
}

build_host() {
  configure_and_build build/host -DCMAKE_BUILD_TYPE=Debug
}

build_windows() {  # name, toolchain file
  configure_and_build "build/$1" -DCMAKE_TOOLCHAIN_FILE="$2" -DCMAKE_BUILD_TYPE=MinSizeRel
}

build_fuzz() {
  if [ ! -f build/fuzz/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DSETUP_FUZZ=ON -DSETUP_E2E=OFF >/dev/null
  fi
  local targets
  targets=$(for f in tests/fuzz/*_fuzz.cpp; do basename "$f" .cpp; done)
  # shellcheck disable=SC2086
  cmake --build build/fuzz -j "$jobs" --target $targets
}
