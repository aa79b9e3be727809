#!/bin/bash
# The Debian packages as a team meets them: made by cpack, unpacked into an
# empty root, then the examples built against them with find_package and a
# host built with pkg-config, all of which run.
#   check-deb.sh <build folder> <source folder> <version>
set -euo pipefail
build=$1 source=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
core=$(ls "$build"/packages/vexircore_"$version"_*.deb) || fail "no vexircore package"
ui=$(ls "$build"/packages/vexircore-ui_"$version"_*.deb) || fail "no vexircore-ui package"

# One version everywhere, and the window system only in the UI package.
[ "$(dpkg-deb -f "$core" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$core" Version)"
dpkg-deb -f "$core" Depends | grep -q 'libstdc++6' || fail "vexircore does not depend on libstdc++6"
! dpkg-deb -f "$core" Depends | grep -Eq 'fltk|libx11' || fail "vexircore pulls in the window system"
dpkg-deb -f "$ui" Depends | grep -q 'libfltk1.3' || fail "vexircore-ui does not depend on FLTK"
dpkg-deb -f "$ui" Depends | grep -q "vexircore (= $version)" || fail "vexircore-ui does not depend on this vexircore"
contents=$(dpkg-deb -c "$core")
for file in usr/lib/libVexirCore.so.1 usr/include/Vexir/Console.h usr/include/Vexir/VexirExport.h \
            usr/lib/cmake/VexirCore/VexirCoreConfig.cmake usr/lib/pkgconfig/vexircore.pc usr/bin/vexir usr/bin/RemoteConsole; do
  grep -qE "\./${file//./\\.}( |$)" <<<"$contents" || fail "vexircore lacks $file"
done
! grep -q VexirCoreUi <<<"$contents" || fail "vexircore holds the UI module"
dpkg-deb -c "$ui" | grep -q './usr/lib/libVexirCoreUi.so' || fail "vexircore-ui lacks the UI module"

dpkg-deb -x "$core" "$work/root"
dpkg-deb -x "$ui" "$work/root"
prefix="$work/root/usr"

# The examples, with find_package, run in a folder of their own.
cmake -S "$source/Examples" -B "$work/examples" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > "$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; fail "configuring the examples"; }
cmake --build "$work/examples" > "$work/build.log" 2>&1 || { cat "$work/build.log"; fail "building the examples"; }
mkdir "$work/run"
cd "$work/run"
"$work/examples/Logging" > logging.out 2>&1 || { cat logging.out; fail "Logging"; }
grep -q 'camera at' logging.out || { cat logging.out; fail "Logging wrote nothing to the standard output"; }
grep -q 'scene loaded' Logging.log || fail "Logging wrote no log file"
"$work/examples/Assets" > assets.out 2>&1 || { cat assets.out; fail "Assets"; }
grep -q 'poem.txt: .*4 lines' assets.out || { cat assets.out; fail "Assets' output"; }
"$work/examples/SunAndColour" > sun.out 2>&1 || { cat sun.out; fail "SunAndColour"; }
grep -q '^13:00  azimuth' sun.out || { cat sun.out; fail "SunAndColour's output"; }

# A host built with pkg-config alone.
cat > host.cpp <<'CPP'
#include <Vexir/Result.h>
#include <cstdio>
int main() { std::puts(GetVexirVersionString()); }
CPP
flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs vexircore) || fail "pkg-config"
g++ -std=c++17 host.cpp $flags -Wl,-rpath,"$prefix/lib" -o host || fail "building with pkg-config"
[ "$(./host)" = "Parvon SDK $version" ] || fail "the pkg-config host says $(./host)"

# The packaged tool runs, and the library loads the packaged UI module from
# beside itself: without a display the window console says that, not that
# the module is missing.
"$prefix/bin/vexir" --help > /dev/null 2>&1 || fail "the packaged vexir tool"
cat > window.cpp <<'CPP'
#include <Vexir/Console.h>
int main()
{
    Vexir::IMgrConsole* consoles = Vexir::GetMgrConsole();
    consoles->GetConsole(Vexir::IMgrConsole::Stdout);
    auto* window = static_cast<Vexir::IUIConsoleInterface*>(
        consoles->GetConsole(Vexir::IMgrConsole::Windows)->GetInterface(Vexir::InterfaceBase::UI));
    return window->Show(nullptr, 0) ? 1 : 0;
}
CPP
g++ -std=c++17 window.cpp $flags -Wl,-rpath,"$prefix/lib" -o window || fail "building the window host"
env -u DISPLAY ./window > window.out 2>&1 || { cat window.out; fail "the window host"; }
grep -q 'Window console: no display' window.out || { cat window.out; fail "the packaged UI module was not loaded"; }
echo "The packages install, build hosts both ways, and run."
