// Facet and smoothed vertex normals on a rippled square lattice, two
// triangles per lattice cell, every vertex shared by up to six triangles.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "glm.h"

namespace {

constexpr float grid_step = 0.01f;      // distance between lattice points
constexpr float ripple_height = 0.02f;  // amplitude of the surface's waves
constexpr float ripple_rate = 7.0f;     // waves per unit of x and y
constexpr float crease_angle = 90.0f;   // degrees, as the simulator uses

// A lattice surface of at least the given number of triangles.
std::unique_ptr<Model> rippled_lattice(uint32_t triangles)
{
    auto model = std::make_unique<Model>();
    uint32_t cells = 1;
    while (2 * cells * cells < triangles) ++cells;
    uint32_t side = cells + 1;
    model->vertices.assign(3, 0.0f);
    for (uint32_t j = 0; j < side; ++j)
        for (uint32_t i = 0; i < side; ++i) {
            float x = i * grid_step, y = j * grid_step;
            float z = ripple_height * std::sin(ripple_rate * x) * std::cos(ripple_rate * y);
            model->vertices.insert(model->vertices.end(), {x, y, z});
        }
    auto index = [side](uint32_t i, uint32_t j) { return j * side + i + 1; };
    for (uint32_t j = 0; j < cells; ++j)
        for (uint32_t i = 0; i < cells; ++i) {
            ModelTriangle a{}, b{};
            a.vertexidx[0] = index(i, j), a.vertexidx[1] = index(i + 1, j),
            a.vertexidx[2] = index(i + 1, j + 1);
            b.vertexidx[0] = index(i, j), b.vertexidx[1] = index(i + 1, j + 1),
            b.vertexidx[2] = index(i, j + 1);
            model->triangles.push_back(a);
            model->triangles.push_back(b);
        }
    model->vertexcount = side * side;
    model->trianglecount = static_cast<uint32_t>(model->triangles.size());
    return model;
}

void BM_TriangleAndVertexNormals(benchmark::State& state)
{
    auto model = rippled_lattice(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state) {
        glmTriangleNormals(model.get());
        glmVertexNormals(model.get(), crease_angle);
        benchmark::DoNotOptimize(model->normalcount);
    }
    state.counters["triangles"] = model->trianglecount;
    state.counters["normals"] = model->normalcount;
    state.SetItemsProcessed(state.iterations() * model->trianglecount);
}

}  // namespace

BENCHMARK(BM_TriangleAndVertexNormals)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
