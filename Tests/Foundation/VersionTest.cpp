// One version everywhere: the build's, the version string, and (per
// platform) the shared library's file name or the DLL's version resource.
#include <Vexir/Result.h>

#include <gtest/gtest.h>

#include <string>

#include "LibraryVersion.h"

namespace {

TEST(Version, TheStringIsTheBuildsVersion)
{
    EXPECT_EQ(std::string(GetVexirVersionString()), std::string("Parvon SDK ") + VEXIR_TEST_VERSION);
}

TEST(Version, TheLibraryFileCarriesIt)
{
    const VexirTest::LibraryVersion found = VexirTest::LoadedLibraryVersion();
    ASSERT_TRUE(found.read) << found.where;
    EXPECT_EQ(found.version, found.expected) << found.where;
}

}  // namespace
