#include "LibraryVersion.h"

#include <Vexir/Result.h>

#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace VexirTest {

namespace {

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

// The program loads "libVexirCore.so.<major>", a link to
// "libVexirCore.so.<major>.<minor>.<patch>": together "<soname> -> <file>".
LibraryVersion LoadedLibraryVersion()
{
    LibraryVersion result;
    Dl_info info = {};
    if (!dladdr(reinterpret_cast<void*>(&::GetVexirVersionString), &info) || !info.dli_fname)
        return result;
    result.where = info.dli_fname;
    char real[PATH_MAX];
    if (!realpath(info.dli_fname, real))
        return result;
    result.read = true;
    result.version = FileName(info.dli_fname) + " -> " + FileName(real);
    const std::string version = VEXIR_TEST_VERSION;
    const std::string major = version.substr(0, version.find('.'));
    const std::string three = version.substr(0, version.rfind('.'));  // the fourth number is the build's
    result.expected = "libVexirCore.so." + major + " -> libVexirCore.so." + three;
    return result;
}

}  // namespace VexirTest
