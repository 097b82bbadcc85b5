// Writing speed of glmWriteOBJ: the shipped chaser (data/chasseur.obj) with
// its smoothed normals and materials, as the workshop writes a converted
// model, and a rippled lattice of about 100 thousand triangles with normals
// and texture coordinates. Beside them, the same files' numbers printed one
// by one with snprintf "%f", the work the writer's own formatter replaces.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "glm.h"
#include "quiet_stdout.h"

namespace {

constexpr uint32_t lattice_triangles = 100000;
constexpr float grid_step = 0.01f;      // distance between lattice points
constexpr float ripple_height = 0.02f;  // amplitude of the surface's waves
constexpr float ripple_rate = 7.0f;     // waves per unit of x and y
constexpr float crease_angle = 90.0f;   // degrees, as the simulator uses
constexpr unsigned chaser_mode = MODE_SMOOTH | MODE_MATERIAL;
constexpr unsigned lattice_mode = MODE_SMOOTH | MODE_TEXTURE;

// The chaser as the program prepares it: read, then facet and vertex normals.
std::unique_ptr<Model> chaser()
{
    QuietStdout quiet;
    std::unique_ptr<Model> model(glmReadOBJ(ORVANEL_SOURCE_DIR "/data/chasseur.obj"));
    glmTriangleNormals(model.get());
    glmVertexNormals(model.get(), crease_angle);
    return model;
}

// A lattice surface of at least the given number of triangles, one normal
// and one texture coordinate per vertex, in one group.
std::unique_ptr<Model> rippled_lattice(uint32_t triangles)
{
    auto model = std::make_unique<Model>();
    uint32_t cells = 1;
    while (2 * cells * cells < triangles) ++cells;
    const uint32_t side = cells + 1;
    model->vertices.assign(3, 0.0f);
    model->normals.assign(3, 0.0f);
    model->texcoords.assign(2, 0.0f);
    for (uint32_t j = 0; j < side; ++j)
        for (uint32_t i = 0; i < side; ++i) {
            const float x = i * grid_step, y = j * grid_step;
            const float wave = ripple_rate * x, swell = ripple_rate * y;
            const float z = ripple_height * std::sin(wave) * std::cos(swell);
            model->vertices.insert(model->vertices.end(), {x, y, z});
            float n[3] = {-ripple_height * ripple_rate * std::cos(wave) * std::cos(swell),
                          ripple_height * ripple_rate * std::sin(wave) * std::sin(swell), 1.0f};
            glmUnitLength(n);
            model->normals.insert(model->normals.end(), n, n + 3);
            model->texcoords.insert(model->texcoords.end(),
                                    {i / float(side - 1), j / float(side - 1)});
        }
    model->vertexcount = model->normalcount = model->texcoordcount = side * side;
    model->groups.reset(new ModelGroup());
    model->groups->name = "lattice";
    model->groupcount = 1;
    for (uint32_t j = 0; j < cells; ++j)
        for (uint32_t i = 0; i < cells; ++i) {
            const uint32_t a = j * side + i + 1, b = a + 1, c = a + side + 1, d = a + side;
            const uint32_t halves[2][3] = {{a, b, c}, {a, c, d}};
            for (const uint32_t(&k)[3] : halves) {
                ModelTriangle t{};
                for (int corner = 0; corner < 3; ++corner)
                    t.vertexidx[corner] = t.normalidx[corner] = t.texcoordidx[corner] = k[corner];
                model->groups->triangles.push_back(static_cast<uint32_t>(model->triangles.size()));
                model->triangles.push_back(t);
            }
        }
    model->trianglecount = model->groups->trianglecount =
        static_cast<uint32_t>(model->triangles.size());
    return model;
}

struct Subject {
    std::unique_ptr<Model> model;
    unsigned mode;
};

Subject& subject(int64_t which)
{
    static Subject subjects[] = {{chaser(), chaser_mode},
                                 {rippled_lattice(lattice_triangles), lattice_mode}};
    return subjects[which];
}

// A scratch directory for the written files, removed at exit.
const std::string& scratch_dir()
{
    static struct Dir {
        std::string path;
        Dir()
        {
            char pattern[] = "/tmp/orvanel-write-bench-XXXXXX";
            path = mkdtemp(pattern);
        }
        ~Dir() { std::system(("rm -rf '" + path + "'").c_str()); }
    } dir;
    return dir.path;
}

void BM_glmWriteOBJ(benchmark::State& state)
{
    Subject& s = subject(state.range(0));
    const std::string path = scratch_dir() + "/written.obj";
    for (auto _ : state) glmWriteOBJ(s.model.get(), path.c_str(), s.mode);
    state.counters["triangles"] = s.model->trianglecount;
}

// Every float the writer prints for the subject: vertices, then normals
// (smooth mode) and texture coordinates (texture mode).
std::vector<float> written_floats(const Subject& s)
{
    const Model& m = *s.model;
    std::vector<float> floats(m.vertices.begin() + 3, m.vertices.end());
    if (s.mode & MODE_SMOOTH) floats.insert(floats.end(), m.normals.begin() + 3, m.normals.end());
    if (s.mode & MODE_TEXTURE)
        floats.insert(floats.end(), m.texcoords.begin() + 2, m.texcoords.end());
    return floats;
}

// The same numbers through snprintf "%f" alone, nothing else written.
void BM_SnprintfFloats(benchmark::State& state)
{
    const std::vector<float> floats = written_floats(subject(state.range(0)));
    char text[64];
    for (auto _ : state)
        for (float f : floats) {
            int length = std::snprintf(text, sizeof text, "%f", static_cast<double>(f));
            benchmark::DoNotOptimize(length);
            benchmark::DoNotOptimize(text);
        }
    state.counters["floats"] = static_cast<double>(floats.size());
}

BENCHMARK(BM_glmWriteOBJ)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnprintfFloats)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
