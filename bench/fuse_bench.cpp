// Vertex welding on a scanned-like triangle soup: every triangle carries its
// own three corners, each copy jittered by less than the welding tolerance,
// so about five in six vertices merge into an earlier one.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include "glm.h"

namespace {

constexpr float grid_step = 0.01f;  // distance between lattice points of the surface
constexpr float tolerance = 1e-4f;  // welding epsilon
constexpr float jitter = 3e-5f;     // displacement of each corner copy
constexpr uint32_t seed = 12345;

// A soup of about the given number of vertices (three per triangle) over a
// square lattice, two triangles per lattice cell.
std::unique_ptr<Model> triangle_soup(uint32_t vertices)
{
    auto model = std::make_unique<Model>();
    uint32_t triangles = vertices / 3;
    uint32_t side = 1;
    while (2 * side * side < triangles) ++side;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> shake(-jitter, jitter);
    model->vertices.assign(3, 0.0f);
    auto corner = [&](uint32_t i, uint32_t j) {
        float x = i * grid_step, y = j * grid_step;
        model->vertices.insert(model->vertices.end(), {x + shake(rng), y + shake(rng), shake(rng)});
    };
    for (uint32_t t = 0; t < triangles; ++t) {
        uint32_t cell = t / 2, i = cell % side, j = cell / side;
        if (t % 2 == 0) {
            corner(i, j), corner(i + 1, j), corner(i + 1, j + 1);
        } else {
            corner(i, j), corner(i + 1, j + 1), corner(i, j + 1);
        }
        ModelTriangle tri{};
        for (uint32_t k = 0; k < 3; ++k) tri.vertexidx[k] = 3 * t + k + 1;
        model->triangles.push_back(tri);
    }
    model->vertexcount = 3 * triangles;
    model->trianglecount = triangles;
    return model;
}

void BM_FuseVertices(benchmark::State& state)
{
    auto source = triangle_soup(static_cast<uint32_t>(state.range(0)));
    Model model;
    for (auto _ : state) {
        state.PauseTiming();
        model.vertexcount = source->vertexcount;
        model.vertices = source->vertices;
        model.trianglecount = source->trianglecount;
        model.triangles = source->triangles;
        state.ResumeTiming();
        glmFuseVertices(&model, tolerance);
        benchmark::DoNotOptimize(model.vertexcount);
    }
    state.counters["merged_to"] = model.vertexcount;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_FuseVertices)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
