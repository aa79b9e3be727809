// Parsing paths: Path::Set against std::filesystem::path with the work that
// gives the same answers (normalising, then file name, stem and extension).
#include <Vexir/Path.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchmarkMain.h"

namespace {

const std::vector<std::string>& RealisticPaths()
{
    static const std::vector<std::string> s_paths = {
        "C:\\Projects\\Scene\\textures\\wood_diffuse_4k.png",
        "\\\\render-farm\\assets\\shared\\hdri\\studio_small_03.exr",
        "../materials/../textures/./brick/normal.tga",
        "shaders/surface/principled.glsl",
        "/home/artist/projects/2026/commercial/city_block/geometry/buildings/tower_a_lod0.obj",
        "D:/cache/render/frames/shot_0420/beauty.0001.exr",
        "relative/path/with/a/fairly/long/list/of/directories/and/a/file.name.with.dots.txt",
        "textures\\\\metal//rough\\plate.jpg",
    };
    return s_paths;
}

void BM_PathSet(benchmark::State& state)
{
    Vexir::Path path;
    for (auto _ : state) {
        for (const std::string& text : RealisticPaths()) {
            path.Set(text);
            benchmark::DoNotOptimize(path.AsChar());
            benchmark::DoNotOptimize(path.Stem().data());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(RealisticPaths().size()));
}
BENCHMARK(BM_PathSet);

void BM_StdFilesystemPath(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& text : RealisticPaths()) {
            const std::filesystem::path path = std::filesystem::path(text).lexically_normal();
            const std::filesystem::path filename = path.filename();
            const std::filesystem::path stem = path.stem();
            const std::filesystem::path extension = path.extension();
            benchmark::DoNotOptimize(filename.c_str());
            benchmark::DoNotOptimize(stem.c_str());
            benchmark::DoNotOptimize(extension.c_str());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(RealisticPaths().size()));
}
BENCHMARK(BM_StdFilesystemPath);

const bool s_registered = [] {
    VexirBench::CompareRates("Path::Set / std::filesystem::path", "BM_PathSet", "BM_StdFilesystemPath", 2.0);
    return true;
}();

}  // namespace
