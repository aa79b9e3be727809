// 4x4 products and inverses against glm's mat4 on the same inputs, and the
// four-wide sphere mapping against the one-by-one one.
#include <Vexir/Matrices.h>
#include <Vexir/PointMapper.h>

#include <benchmark/benchmark.h>
#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <random>
#include <vector>

#include "BenchmarkMain.h"

namespace {

const int kMatrices = 1024;

// Diagonally dominant, so every one is invertible.
const std::vector<Vexir::Matrix44f>& Matrices()
{
    static const std::vector<Vexir::Matrix44f> s_matrices = [] {
        std::mt19937 random(8);
        std::uniform_real_distribution<float> value(-1, 1);
        std::vector<Vexir::Matrix44f> matrices(kMatrices);
        for (Vexir::Matrix44f& m : matrices) {
            for (float& e : m.m)
                e = value(random);
            for (int i = 0; i < 4; ++i)
                m.m[5 * i] += 4;
        }
        return matrices;
    }();
    return s_matrices;
}

const std::vector<glm::mat4>& GlmMatrices()
{
    static const std::vector<glm::mat4> s_matrices = [] {
        std::vector<glm::mat4> matrices;
        for (const Vexir::Matrix44f& m : Matrices())
            matrices.push_back(glm::make_mat4(m.m));
        return matrices;
    }();
    return s_matrices;
}

void BM_Matrix44f_Product(benchmark::State& state)
{
    const std::vector<Vexir::Matrix44f>& matrices = Matrices();
    Vexir::Matrix44f sink;
    for (auto _ : state)
        for (int i = 0; i + 1 < kMatrices; ++i) {
            sink = matrices[i] * matrices[i + 1];
            benchmark::DoNotOptimize(sink);
        }
    state.SetItemsProcessed(state.iterations() * (kMatrices - 1));
}
BENCHMARK(BM_Matrix44f_Product);

void BM_GlmMat4_Product(benchmark::State& state)
{
    const std::vector<glm::mat4>& matrices = GlmMatrices();
    glm::mat4 sink;
    for (auto _ : state)
        for (int i = 0; i + 1 < kMatrices; ++i) {
            sink = matrices[i] * matrices[i + 1];
            benchmark::DoNotOptimize(sink);
        }
    state.SetItemsProcessed(state.iterations() * (kMatrices - 1));
}
BENCHMARK(BM_GlmMat4_Product);

void BM_Matrix44f_Inverse(benchmark::State& state)
{
    const std::vector<Vexir::Matrix44f>& matrices = Matrices();
    Vexir::Matrix44f inverse;
    for (auto _ : state)
        for (const Vexir::Matrix44f& m : matrices) {
            m.Inverse(inverse);
            benchmark::DoNotOptimize(inverse);
        }
    state.SetItemsProcessed(state.iterations() * kMatrices);
}
BENCHMARK(BM_Matrix44f_Inverse);

void BM_GlmMat4_Inverse(benchmark::State& state)
{
    const std::vector<glm::mat4>& matrices = GlmMatrices();
    glm::mat4 inverse;
    for (auto _ : state)
        for (const glm::mat4& m : matrices) {
            inverse = glm::inverse(m);
            benchmark::DoNotOptimize(inverse);
        }
    state.SetItemsProcessed(state.iterations() * kMatrices);
}
BENCHMARK(BM_GlmMat4_Inverse);

const int kPoints = 1000000;

struct Samples {
    std::vector<float> x, y;
    Samples() : x(kPoints), y(kPoints)
    {
        std::mt19937 random(4);
        std::uniform_real_distribution<float> square(-1, 1);
        for (int i = 0; i < kPoints; ++i)
            x[i] = square(random), y[i] = square(random);
    }
};

const Samples& SquareSamples()
{
    static const Samples s_samples;
    return s_samples;
}

void BM_MapSphere_FourWide(benchmark::State& state)
{
    std::vector<float> x, y, z(kPoints);
    for (auto _ : state) {
        state.PauseTiming();
        x = SquareSamples().x;
        y = SquareSamples().y;
        state.ResumeTiming();
        Vexir::PointMapper::MapSphere(x.data(), y.data(), z.data(), kPoints);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_MapSphere_FourWide)->Unit(benchmark::kMillisecond);

void BM_MapSphere_OneByOne(benchmark::State& state)
{
    std::vector<Vexir::Vector3f> points(kPoints);
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < kPoints; ++i)
            points[i] = Vexir::Vector3f(SquareSamples().x[i], SquareSamples().y[i], 0);
        state.ResumeTiming();
        Vexir::PointMapper::MapSphere(points.data(), kPoints);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_MapSphere_OneByOne)->Unit(benchmark::kMillisecond);

const bool s_registered = [] {
    VexirBench::CompareRates("Matrix44f product / glm mat4 product", "BM_Matrix44f_Product", "BM_GlmMat4_Product", 1.0);
    VexirBench::CompareRates("Matrix44f::Inverse / glm inverse", "BM_Matrix44f_Inverse", "BM_GlmMat4_Inverse", 0.5);
    VexirBench::CompareRates("MapSphere four-wide / one by one", "BM_MapSphere_FourWide", "BM_MapSphere_OneByOne", 2.0);
    return true;
}();

}  // namespace
