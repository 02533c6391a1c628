#!/bin/bash
# The Debian package as a user meets it: made by cpack from the host build,
# unpacked into a scratch root with dpkg -x, and its setup-media building
# the example manifest with no path flags, shipping the package's own
# SETUP.EXE (marked here so that no other copy can pass for it).
# usage: check_package.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -euo pipefail
build=$1 source=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
cpack --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/cpack/*.deb)
dpkg-deb --info "$deb" | grep -E "Package|Depends"
dpkg -x "$deb" "$work/root"
share=$work/root/usr/share/setup-bootstrapper
for file in bin/setup-media bin/setup-compress bin/setup-sim share/man/man1/setup-media.1 \
            share/man/man1/setup-compress.1 share/man/man1/setup-sim.1; do
  test -f "$work/root/usr/$file" || { echo "missing in the package: /usr/$file"; exit 1; }
done
for file in win32/SETUP.EXE win32/ZAVEZ432.DLL win64/SETUP.EXE win64/ZAVEZ432.DLL; do
  test -f "$share/$file" || { echo "missing in the package: $file"; exit 1; }
done
printf 'packaged' >>"$share/win32/SETUP.EXE"
"$work/root/usr/bin/setup-media" build "$source/examples/media.ini" -o "$work/media"
cmp "$work/media/DISK1/SETUP.EXE" "$share/win32/SETUP.EXE"
cmp "$work/media/DISK1/ZAVEZ432.DLL" "$share/win32/ZAVEZ432.DLL"
"$work/root/usr/bin/setup-media" lint "$work/media"
rm -rf "$work"
echo "package: setup-media of the unpacked package built and linted the example media"
