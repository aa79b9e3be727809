// The asset manager behind GetMgrAssets. Assets are keyed by the hash of the
// path they were requested under, and told apart by that path's text, so two
// paths whose hashes collide never share an asset.
#pragma once

#include <Vexir/Assets.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace Vexir {

class MgrAssets : public IMgrAssets {
public:
    MgrAssets() = default;
    ~MgrAssets() override;
    MgrAssets(const MgrAssets&) = delete;
    MgrAssets& operator=(const MgrAssets&) = delete;

    bool FindFile(const Path& path, int type, Path* resolved) override;
    IAsset* GetAsset(const Path& path, int type, IAssetTranslator* translator, IAsset::Status* status) override;
    IAsset* GetAsset(const Path& path, int type, IAsset::Status* status) override;
    bool ReleaseAsset(IAsset* asset) override;
    bool ReleaseAsset(const Path& path) override;
    bool AddSearchPath(const Path& directory, int type) override;
    bool AddSearchPaths(const std::string& list, int type) override;

private:
    // The name an asset was requested under, and when it was entered.
    struct Key {
        unsigned hash;
        std::string text;
        unsigned long long serial;
    };

    IAsset* Cached(const Path& path) const;
    IAsset* Create(const Path& path, int type, IAssetTranslator* translator, IAsset::Status& status);
    const std::vector<Path>* SearchPathsOf(int type) const;
    void Forget(IAsset* asset);
    void UnloadNewestFirst();

    std::multimap<unsigned, IAsset*> _mAssetsByHash;
    std::map<IAsset*, Key> _mHashesByAsset;
    std::map<int, std::vector<Path>> _mSearchPaths;
    unsigned long long _uNextSerial = 0;
    // At teardown: the assets unloaded and out of the tables, deleted last.
    std::set<IAsset*> _sUnloaded;
};

}  // namespace Vexir
