#!/bin/bash
# The Windows zip as a team meets it: made by cpack, unpacked, and the
# examples built against it alone with the MinGW-w64 toolchain and run under
# Wine with only the zip's own folder on the DLL search path.
#   check-zip.sh <build folder> <source folder> <version>
set -euo pipefail
build=$1 source=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

(cd "$build" && cpack -G ZIP > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
zip="$build/packages/vexircore-$version-windows-x64.zip"
[ -f "$zip" ] || fail "no $zip"
unzip -q "$zip" -d "$work/zip"
for file in bin/VexirCore.dll bin/vexir.exe bin/RemoteConsole.exe lib/libVexirCore.dll.a include/Vexir/Console.h \
            lib/cmake/VexirCore/VexirCoreConfig.cmake; do
  [ -f "$work/zip/$file" ] || fail "the zip lacks $file"
done
# Every program and DLL needs nothing but Windows and what the zip holds.
for binary in "$work"/zip/bin/*.dll "$work"/zip/bin/*.exe; do
  for needed in $(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/.*DLL Name: //p'); do
    [ -f "$work/zip/bin/$needed" ] && continue
    case "${needed,,}" in
      kernel32.dll|user32.dll|gdi32.dll|comdlg32.dll|mpr.dll|ws2_32.dll|winmm.dll|psapi.dll|msvcrt.dll|advapi32.dll|shell32.dll|ole32.dll|shlwapi.dll) ;;
      *) fail "$(basename "$binary") needs $needed, which the zip does not hold" ;;
    esac
  done
done

# As the README says for a cross toolchain that keeps find_package inside
# its own root: the package's folder named directly.
cmake -S "$source/Examples" -B "$work/examples" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$source/cmake/Toolchain-mingw64.cmake" \
  -DVexirCore_DIR="$work/zip/lib/cmake/VexirCore" > "$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; fail "configuring the examples"; }
cmake --build "$work/examples" > "$work/build.log" 2>&1 || { cat "$work/build.log"; fail "building the examples"; }
mkdir "$work/run"
cd "$work/run"
export WINEPATH
WINEPATH=$(WINEPREFIX=${WINEPREFIX:-} "$source/cmake/wine-run" winepath -w "$work/zip/bin" 2>/dev/null | tr -d '\r')
"$source/cmake/wine-run" "$work/examples/SunAndColour.exe" > sun.out 2>&1 || { cat sun.out; fail "SunAndColour"; }
grep -q '^13:00  azimuth' sun.out || { cat sun.out; fail "SunAndColour's output"; }
"$source/cmake/wine-run" "$work/examples/Assets.exe" > assets.out 2>&1 || { cat assets.out; fail "Assets"; }
grep -q 'poem.txt: .*4 lines' assets.out || { cat assets.out; fail "Assets' output"; }
"$source/cmake/wine-run" "$work/examples/Logging.exe" > logging.out 2>&1 || { cat logging.out; fail "Logging"; }
grep -q 'camera at' logging.out || { cat logging.out; fail "Logging's output"; }
grep -q 'scene loaded' Logging.log || fail "Logging wrote no log file"
"$source/cmake/wine-run" "$work/zip/bin/vexir.exe" --help > vexir.out 2>&1 || { cat vexir.out; fail "the zip's vexir"; }
echo "The zip builds a host with MinGW-w64 alone, and it runs under Wine."
