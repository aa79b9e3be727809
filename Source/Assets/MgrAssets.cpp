#include "Assets/MgrAssets.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "Files/FileSystem.h"
#include "Foundation/LibraryLifetime.h"

namespace Vexir {

namespace {

LibrarySingleton<MgrAssets> s_manager;

// An asset file is a regular file: a directory is never one, and a pipe
// would hold a load in its open.
bool Exists(const Path& path)
{
    unsigned long long size = 0;
    return QueryFileSize(path.AsChar(), size);
}

// The search directory with the requested path on it; false when Concatenate
// refuses them.
bool Under(const Path& directory, const Path& relative, Path& candidate)
{
    candidate = directory;
    return candidate.Concatenate(relative);
}

// A search directory given with a last name and no closing separator ("data")
// is the directory of that name, as the list form reads it ("data/"). The
// name moves into the directories through Concatenate, which keeps the
// stored directories as they are (a leading "./.." included).
Path AsDirectory(const Path& path)
{
    if (path.IsDirectory())
        return path;
    Path directory = path;
    directory.SetFilename("");
    directory.Concatenate(Path(path.Filename() + "/"));
    return directory;
}

}  // namespace

IMgrAssets* GetMgrAssets() { return s_manager.Get(); }

void DestroyAssetManager() { s_manager.Destroy(); }

// The host's code runs inside each unload: a material's data may give back
// the textures it holds. So every asset leaves the tables before its data is
// released, and none is deleted until all are unloaded, so that a release of
// one already unloaded is known and ignored instead of reaching freed memory.
MgrAssets::~MgrAssets()
{
    while (!_mHashesByAsset.empty())
        UnloadNewestFirst();
    for (IAsset* asset : _sUnloaded)
        delete asset;
    _sUnloaded.clear();
    _mSearchPaths.clear();
}

// Newest first: what an asset holds was most often made before it (a material
// asks for its textures while it loads), and is then still whole when the
// asset's data gives it back. The host's releases may take assets out of the
// tables, or add new ones, as this goes.
void MgrAssets::UnloadNewestFirst()
{
    std::vector<std::pair<unsigned long long, IAsset*>> bySerial;
    for (const auto& entry : _mHashesByAsset)
        bySerial.emplace_back(entry.second.serial, entry.first);
    std::sort(bySerial.begin(), bySerial.end(), std::greater<>());
    for (const auto& entry : bySerial) {
        IAsset* asset = entry.second;
        if (!_mHashesByAsset.count(asset))
            continue;
        Forget(asset);
        _sUnloaded.insert(asset);
        asset->Unload();
    }
}

const std::vector<Path>* MgrAssets::SearchPathsOf(int type) const
{
    const auto found = _mSearchPaths.find(type);
    return found == _mSearchPaths.end() ? nullptr : &found->second;
}

bool MgrAssets::FindFile(const Path& path, int type, Path* resolved)
{
    if (!path.IsValid())
        return false;
    const std::vector<Path>* directories = SearchPathsOf(type);
    if (!path.IsRelative() || !directories) {
        if (!Exists(path))
            return false;
        if (resolved)
            resolved->Set(path.AsString());
        return true;
    }
    Path candidate;
    for (const Path& directory : *directories) {
        if (Under(directory, path, candidate) && Exists(candidate)) {
            if (resolved)
                resolved->Set(candidate.AsString());
            return true;
        }
    }
    return false;
}

IAsset* MgrAssets::Cached(const Path& path) const
{
    const auto range = _mAssetsByHash.equal_range(path.Hash());
    for (auto entry = range.first; entry != range.second; ++entry)
        if (_mHashesByAsset.at(entry->second).text == path.AsString())
            return entry->second;
    return nullptr;
}

IAsset* MgrAssets::GetAsset(const Path& path, int type, IAsset::Status* status)
{
    return GetAsset(path, type, nullptr, status);
}

IAsset* MgrAssets::GetAsset(const Path& path, int type, IAssetTranslator* translator, IAsset::Status* status)
{
    IAsset::Status ignored = IAsset::Unknown;
    IAsset::Status& outcome = status ? *status : ignored;
    if (!path.IsValid()) {
        outcome = IAsset::InvalidPath;
        return nullptr;
    }
    if (IAsset* cached = Cached(path)) {
        if (cached->GetType() != static_cast<unsigned>(type)) {
            outcome = IAsset::ConflictingType;
            return nullptr;
        }
        cached->AddRef();
        outcome = cached->GetStatus();
        return cached;
    }
    std::unique_ptr<IAsset> asset(Create(path, type, translator, outcome));
    if (!asset)
        return nullptr;
    // Both tables take the asset, or neither does.
    const auto byHash = _mAssetsByHash.emplace(path.Hash(), asset.get());
    try {
        _mHashesByAsset.emplace(asset.get(), Key{path.Hash(), path.AsString(), _uNextSerial++});
    } catch (...) {
        _mAssetsByHash.erase(byHash);
        throw;
    }
    asset->AddRef();
    outcome = asset->GetStatus();
    return asset.release();
}

// The new asset, loaded; null with the reason in `status`. What throws (a path
// that is not UTF-8, the host's translator) takes the asset with it.
IAsset* MgrAssets::Create(const Path& path, int type, IAssetTranslator* translator, IAsset::Status& status)
{
    std::unique_ptr<Asset> asset(new (std::nothrow) Asset);
    if (!asset) {
        status = IAsset::OutOfMemory;
        return nullptr;
    }
    const std::vector<Path>* directories = SearchPathsOf(type);
    if (path.IsRelative() && directories) {
        // The first directory where the asset initializes. A file found in a
        // type the library cannot read ends the search: every directory would
        // say the same, and "not found" would hide why.
        bool initialised = false;
        Path candidate;
        for (const Path& directory : *directories) {
            if (!Under(directory, path, candidate))
                continue;
            if ((initialised = asset->Initialize(candidate, static_cast<unsigned>(type))))
                break;
            if (asset->GetStatus() == IAsset::InvalidFileFormat) {
                status = IAsset::InvalidFileFormat;
                return nullptr;
            }
        }
        if (!initialised) {
            status = IAsset::NotFoundOnSearchPath;
            return nullptr;
        }
    } else if (!asset->Initialize(path, static_cast<unsigned>(type))) {
        status = asset->GetStatus();
        return nullptr;
    }
    if (!asset->Load(translator)) {
        status = asset->GetStatus();
        return nullptr;
    }
    return asset.release();
}

void MgrAssets::Forget(IAsset* asset)
{
    const auto known = _mHashesByAsset.find(asset);
    const auto range = _mAssetsByHash.equal_range(known->second.hash);
    for (auto entry = range.first; entry != range.second; ++entry) {
        if (entry->second == asset) {
            _mAssetsByHash.erase(entry);
            break;
        }
    }
    _mHashesByAsset.erase(known);
}

bool MgrAssets::ReleaseAsset(IAsset* asset)
{
    if (!asset || _sUnloaded.count(asset))
        return false;
    asset->RemoveRef();
    if (asset->GetRefCount() != 0)
        return true;
    const bool ours = _mHashesByAsset.count(asset) != 0;
    if (ours)
        Forget(asset);
    asset->Unload();
    delete asset;
    return ours;
}

bool MgrAssets::ReleaseAsset(const Path& path)
{
    IAsset* asset = Cached(path);
    return asset && ReleaseAsset(asset);
}

// A refused directory keeps only what was read before its fault, its parent
// or nothing at all, where the wrong file would be found: it is not added.
bool MgrAssets::AddSearchPath(const Path& directory, int type)
{
    if (type == 0 || !directory.IsValid())
        return false;
    _mSearchPaths[type].push_back(AsDirectory(directory));
    return true;
}

bool MgrAssets::AddSearchPaths(const std::string& list, int type)
{
    if (type == 0)
        return false;
    std::vector<std::string> pieces;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = list.find(';', start);
        const std::size_t stop = end == std::string::npos ? list.size() : end;
        if (stop > start)
            pieces.push_back(list.substr(start, stop - start));
        start = stop + 1;
    }
    if (pieces.empty())
        return false;
    // All of the list or none of it, so that a caller told false knows what
    // the manager searches.
    std::vector<Path> directories;
    for (std::string& piece : pieces) {
        if (piece.back() != '/' && piece.back() != '\\')
            piece.push_back('\\');
        directories.emplace_back(piece);
        if (!directories.back().IsValid())
            return false;
    }
    for (const Path& directory : directories)
        AddSearchPath(directory, type);
    return true;
}

}  // namespace Vexir
