// Reading speed of glmReadOBJ, on every core and on one thread, on generated
// scanned-mesh-like files of about 100 thousand and 1 million triangles, and on an assembly-like
// file of many small groups and materials, beside tinyobjloader on the same file and the floor of a
// pass that only counts the file's newlines.
//
//   read_obj_bench                      the timings (Google Benchmark)
//   read_obj_bench --memory [TRIANGLES] peak memory of one read, in a fresh process
#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "glm.h"
#include "quiet_stdout.h"

namespace {

constexpr int small_triangles = 100000;
constexpr int large_triangles = 1000000;
constexpr int group_count = 8;
constexpr int material_count = 4;
constexpr int quad_every = 4;  // one grid cell in this many is written as a quad
constexpr size_t io_chunk = 1 << 20;
constexpr int part_count = 100000;          // groups of the assembly-like file
constexpr int part_material_count = 10000;  // materials they share

// A temporary directory holding the generated files, removed at exit.
struct BenchFiles {
    std::string dir;
    std::string paths[3];  // small grid, large grid, parts
    ~BenchFiles()
    {
        if (!dir.empty()) std::system(("rm -rf '" + dir + "'").c_str());
    }
};

// Appends formatted text to a growing output buffer, written in chunks.
struct Writer {
    std::FILE* file;
    std::string buffer;
    void flush()
    {
        std::fwrite(buffer.data(), 1, buffer.size(), file);
        buffer.clear();
    }
    template <typename... Args>
    void put(const char* format, Args... args)
    {
        char line[160];
        int n = std::snprintf(line, sizeof line, format, args...);
        buffer.append(line, static_cast<size_t>(n));
        if (buffer.size() > io_chunk) flush();
    }
};

// A wavy grid of side x side vertices with texture coordinates and normals;
// cells are written as two triangles or, one in quad_every, as a quad,
// in group_count bands with their own material.
void write_grid(const std::string& path, int side)
{
    Writer w{std::fopen(path.c_str(), "w"), {}};
    w.put("# generated grid %d x %d\nmtllib bench.mtl\n", side, side);
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            double x = i * 0.013, y = j * 0.017;
            w.put("v %.6f %.6f %.6f\n", x, y, 0.25 * std::sin(x * 3.0) * std::cos(y * 2.0));
        }
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i)
            w.put("vt %.6f %.6f\n", i / double(side - 1), j / double(side - 1));
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            double a = i * 0.001, b = j * 0.002;
            w.put("vn %.6f %.6f %.6f\n", std::sin(a), std::sin(b), std::cos(a) * std::cos(b));
        }
    const int rows_per_group = (side - 1 + group_count - 1) / group_count;
    for (int j = 0; j + 1 < side; ++j) {
        if (j % rows_per_group == 0) {
            int g = j / rows_per_group;
            w.put("g band%d\nusemtl m%d\n", g, g % material_count);
        }
        for (int i = 0; i + 1 < side; ++i) {
            int a = j * side + i + 1, b = a + 1, c = a + side + 1, d = a + side;
            if ((i + j) % quad_every == 0)
                w.put("f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, c, c, c, d, d,
                      d);
            else
                w.put("f %d/%d/%d %d/%d/%d %d/%d/%d\nf %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b,
                      b, c, c, c, a, a, a, c, c, c, d, d, d);
        }
    }
    w.flush();
    std::fclose(w.file);
}

void write_library(const std::string& dir)
{
    std::FILE* f = std::fopen((dir + "/bench.mtl").c_str(), "w");
    for (int m = 0; m < material_count; ++m)
        std::fprintf(f, "newmtl m%d\nKa 0.1 0.1 0.1\nKd 0.%d 0.5 0.5\nKs 0.9 0.9 0.9\nNs 250\n\n",
                     m, m + 2);
    std::fclose(f);
}

// An assembly of many parts: each its own group with a material of a large
// library and a single triangle, as CAD exports write them.
std::string write_parts(const std::string& dir)
{
    std::FILE* library = std::fopen((dir + "/parts.mtl").c_str(), "w");
    for (int m = 0; m < part_material_count; ++m)
        std::fprintf(library, "newmtl finish%d\nKd 0.5 0.5 0.5\n", m);
    std::fclose(library);
    const std::string path = dir + "/parts.obj";
    Writer w{std::fopen(path.c_str(), "w"), {}};
    w.put("mtllib parts.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n");
    for (int k = 0; k < part_count; ++k)
        w.put("g part%d\nusemtl finish%d\nf 1 2 3\n", k, (k * 7919) % part_material_count);
    w.flush();
    std::fclose(w.file);
    return path;
}

// Grid side giving about the wanted number of triangles (2 per cell).
int side_for(int triangles) { return static_cast<int>(std::sqrt(triangles / 2.0)) + 1; }

std::string make_file(const std::string& dir, int triangles)
{
    std::string path = dir + "/grid" + std::to_string(triangles) + ".obj";
    write_grid(path, side_for(triangles));
    return path;
}

BenchFiles& files()
{
    static BenchFiles made = [] {
        BenchFiles f;
        char pattern[] = "/tmp/orvanel-bench-XXXXXX";
        f.dir = mkdtemp(pattern);
        write_library(f.dir);
        f.paths[0] = make_file(f.dir, small_triangles);
        f.paths[1] = make_file(f.dir, large_triangles);
        f.paths[2] = write_parts(f.dir);
        return f;
    }();
    return made;
}

int64_t file_size(const std::string& path)
{
    struct stat s;
    return stat(path.c_str(), &s) == 0 ? static_cast<int64_t>(s.st_size) : 0;
}

// glmReadOBJ on as many threads as threads allows (0: every core).
void read_with_threads(benchmark::State& state, unsigned threads)
{
    const std::string& path = files().paths[state.range(0)];
    uint32_t triangles = 0;
    glmSetReadThreads(threads);
    {
        QuietStdout quiet;
        for (auto _ : state) {
            Model* model = glmReadOBJ(path.c_str());
            triangles = model->trianglecount;
            glmRelease(model);
        }
    }
    glmSetReadThreads(0);
    state.counters["triangles"] = triangles;
    state.SetBytesProcessed(state.iterations() * file_size(path));
}

void BM_glmReadOBJ(benchmark::State& state) { read_with_threads(state, 0); }
void BM_glmReadOBJOneThread(benchmark::State& state) { read_with_threads(state, 1); }

void BM_tinyobjloader(benchmark::State& state)
{
    const std::string& path = files().paths[state.range(0)];
    size_t indices = 0;
    for (auto _ : state) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        bool ok = tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path.c_str(),
                                   files().dir.c_str(), true);
        if (!ok) state.SkipWithError(err.c_str());
        indices = 0;
        for (const tinyobj::shape_t& s : shapes) indices += s.mesh.indices.size();
    }
    state.counters["triangles"] = static_cast<double>(indices / 3);
    state.SetBytesProcessed(state.iterations() * file_size(path));
}

// The floor: read the whole file and count its newlines.
void BM_CountNewlines(benchmark::State& state)
{
    const std::string& path = files().paths[state.range(0)];
    std::unique_ptr<char[]> chunk(new char[io_chunk]);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        size_t lines = 0, got;
        while ((got = std::fread(chunk.get(), 1, io_chunk, f)) > 0) {
            const char* p = chunk.get();
            const char* end = p + got;
            while ((p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr) {
                ++lines;
                ++p;
            }
        }
        std::fclose(f);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * file_size(path));
}

// Wall-clock time: the reader's helper threads do not show in the CPU time
// of the thread that calls it.
BENCHMARK(BM_glmReadOBJ)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_glmReadOBJOneThread)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_tinyobjloader)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CountNewlines)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Bytes the finished model owns.
size_t model_bytes(const Model& m)
{
    size_t bytes = sizeof m + m.filepath.capacity() +
                   (m.vertices.capacity() + m.normals.capacity() + m.texcoords.capacity() +
                    m.facetnorms.capacity()) *
                       sizeof(float) +
                   m.triangles.capacity() * sizeof(ModelTriangle) +
                   m.materials.capacity() * sizeof(ModelMaterial);
    for (const ModelGroup* g = m.groups.get(); g != nullptr; g = g->next.get())
        bytes += sizeof *g + g->name.capacity() + g->triangles.capacity() * sizeof(uint32_t);
    return bytes;
}

long peak_kilobytes()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child of --memory: reads one file and prints the figures.
int measure_read(const char* path)
{
    constexpr double kilo = 1024.0, mega = 1024.0 * 1024.0;
    long before = peak_kilobytes();
    Model* model;
    {
        QuietStdout quiet;
        model = glmReadOBJ(path);
    }
    long after = peak_kilobytes();
    double file = static_cast<double>(file_size(path)),
           owned = static_cast<double>(model_bytes(*model));
    double growth = (after - before) * kilo;
    std::printf("file %.1f MB, model %.1f MB (%" PRIu32
                " triangles), peak RSS %.1f MB "
                "(%.1f MB before reading): growth %.1f MB = %.3f x (file + model)\n",
                file / mega, owned / mega, model->trianglecount, after * kilo / mega,
                before * kilo / mega, growth / mega, growth / (file + owned));
    glmRelease(model);
    return 0;
}

// --memory: generates the file, then reads it in a fresh process whose peak
// resident size is not inflated by the generation.
int measure_memory(int triangles)
{
    char self[PATH_MAX] = "";
    if (readlink("/proc/self/exe", self, sizeof self - 1) < 0) return 1;
    char pattern[] = "/tmp/orvanel-bench-XXXXXX";
    std::string dir = mkdtemp(pattern);
    write_library(dir);
    std::string path = make_file(dir, triangles);
    std::string command = std::string("'") + self + "' --read-one '" + path + "'";
    int status = std::system(command.c_str());
    std::system(("rm -rf '" + dir + "'").c_str());
    return status == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--read-one") == 0) return measure_read(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "--memory") == 0)
        return measure_memory(argc >= 3 ? std::atoi(argv[2]) : large_triangles);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
