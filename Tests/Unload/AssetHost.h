// A host plug-in that builds on the library's assets, for the unload test: its
// function leaves composite assets held (materials that hold textures) when it
// returns, as a plug-in unloaded with its work in flight would.
#pragma once

struct AssetHostRecord {
    int texturesReleased = 0;   // texture data given back
    int materialsReleased = 0;  // material data given back
};

// Makes the assets in `directory` (UTF-8) and keeps them; false when any fails
// to load. `record` must outlive the library: the releases at unload write it.
using HoldCompositeAssetsFunction = bool (*)(const char* directory, AssetHostRecord* record);
