// Loading a large OBJ file with our reader and with tinyobjloader, in the same run.
// Writes a ~150 MB model (a terrain grid of 780 000 positions with v, vt and vn on every corner,
// 1.56 million triangles as triangles and quads, usemtl switches) to a temporary directory, then
// loads it in a fresh child process per iteration and reports MB/s and the child's peak memory.
// A second model switches 200 000 times among a library of 100 000 materials: our reader alone,
// for the time its name lookups take.
//   build/bench/bench_obj_load
#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/obj_reader.h"

namespace {

constexpr int GRID_WIDTH = 1000;  // positions per row
constexpr int GRID_HEIGHT = 780;  // rows
constexpr int ROWS_PER_MATERIAL = 50;
constexpr const char* MODEL_NAME = "bench.obj";
constexpr const char* LIBRARY_NAME = "bench.mtl";
constexpr int TABLE_MATERIALS = 100000;
constexpr int TABLE_SWITCHES = 200000;
constexpr const char* TABLE_NAME = "table.obj";
constexpr const char* TABLE_LIBRARY_NAME = "table.mtl";

struct BenchFile {
    std::string directory;
    std::string path;
    std::string tablePath;   // the model of many materials
    std::string warmUpPath;  // a small model of the same kinds of line
    double megabytes;        // file size, MB of 2^20 bytes
    double tableMegabytes;
};
BenchFile benchFile;  // written once by main before the benchmarks run

// What a child reports about one load.
struct LoadReport {
    double seconds;
    double peakMegabytes;   // growth of the child's peak resident set during the load
    double arrayMegabytes;  // our model's own arrays (0 for tinyobjloader)
    long triangles;
};

// A small deterministic generator, so every run writes the same file.
struct Lcg {
    uint64_t state;
    double next() {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
    }
};

void appendFixed(std::string* out, double value) {
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    out->append(buffer, r.ptr);
}

void appendInt(std::string* out, long value) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out->append(buffer, r.ptr);
}

void appendCorner(std::string* out, long index) {
    out->push_back(' ');
    for (int k = 0; k < 3; ++k) {
        if (k) out->push_back('/');
        appendInt(out, index);
    }
}

void flush(std::string* out, FILE* file) {
    fwrite(out->data(), 1, out->size(), file);
    out->clear();
}

// Every third cell of the grid is a quad, the others two triangles.
bool writeModel(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    std::string out = std::string("mtllib ") + LIBRARY_NAME + "\n";
    Lcg random{42};
    const char* kinds[] = {"v ", "vt ", "vn "};
    for (int kind = 0; kind < 3; ++kind) {
        for (int j = 0; j < GRID_HEIGHT; ++j) {
            for (int i = 0; i < GRID_WIDTH; ++i) {
                out += kinds[kind];
                if (kind == 0) {
                    appendFixed(&out, i * 0.01), out += ' ',
                        appendFixed(&out, random.next() * 2 - 1);
                    out += ' ', appendFixed(&out, j * 0.01);
                } else if (kind == 1) {
                    appendFixed(&out, double(i) / GRID_WIDTH), out += ' ',
                        appendFixed(&out, double(j) / GRID_HEIGHT);
                } else {
                    appendFixed(&out, random.next() * 2 - 1), out += ' ',
                        appendFixed(&out, random.next());
                    out += ' ', appendFixed(&out, random.next() * 2 - 1);
                }
                out += '\n';
            }
            flush(&out, file);
        }
    }
    for (int j = 0; j + 1 < GRID_HEIGHT; ++j) {
        if (j % ROWS_PER_MATERIAL == 0)
            out += "usemtl m" + std::to_string(j / ROWS_PER_MATERIAL % 4) + "\n";
        for (int i = 0; i + 1 < GRID_WIDTH; ++i) {
            const long a = long(j) * GRID_WIDTH + i + 1, b = a + 1, c = a + GRID_WIDTH + 1,
                       d = a + GRID_WIDTH;
            const long quad[] = {a, b, c, d}, first[] = {a, b, c}, second[] = {a, c, d};
            if ((i + j) % 3 == 0) {
                out += 'f';
                for (long k : quad) appendCorner(&out, k);
                out += '\n';
            } else {
                out += 'f';
                for (long k : first) appendCorner(&out, k);
                out += "\nf";
                for (long k : second) appendCorner(&out, k);
                out += '\n';
            }
        }
        flush(&out, file);
    }
    const bool written = ferror(file) == 0;
    return fclose(file) == 0 && written;
}

bool writeWarmUpModel(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    fprintf(file, "mtllib %s\nv 0.5 -0.25 1.0\nv 1 0 0\nv 0 1 0\nvt 0.5 0.5\nvn 0 0 1\n",
            LIBRARY_NAME);
    fprintf(file, "usemtl m1\nf 1/1/1 2/1/1 3/1/1\nf 1/1/1 2/1/1 3/1/1 1/1/1\n");
    return fclose(file) == 0;
}

bool writeLibrary(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    for (int m = 0; m < 4; ++m)
        fprintf(file, "newmtl m%d\nKa 0.1 0.1 0.1\nKd 0.%d 0.5 0.5\nNs 32\nd 1\n", m, m + 2);
    return fclose(file) == 0;
}

// The library's materials m0, m1 ...; the model uses them in a scattered order.
bool writeTableLibrary(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    for (int m = 0; m < TABLE_MATERIALS; ++m) fprintf(file, "newmtl m%d\nKd 0.5 0.5 0.5\n", m);
    return fclose(file) == 0;
}

bool writeTableModel(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    fprintf(file, "mtllib %s\nv 0 0 0\nv 1 0 0\nv 0 1 0\n", TABLE_LIBRARY_NAME);
    Lcg random{7};
    for (int i = 0; i < TABLE_SWITCHES; ++i)
        fprintf(file, "usemtl m%d\nf 1 2 3\n", static_cast<int>(random.next() * TABLE_MATERIALS));
    return fclose(file) == 0;
}

double megabytesOf(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return 0;
    fseek(file, 0, SEEK_END);
    const double megabytes = ftell(file) / double(1 << 20);
    fclose(file);
    return megabytes;
}

double residentMegabytes() {
    FILE* status = fopen("/proc/self/status", "r");
    char line[256];
    long kilobytes = 0;
    while (status && fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kilobytes = std::strtol(line + 6, nullptr, 10);
    if (status) fclose(status);
    return kilobytes / 1024.0;
}

double peakMegabytes() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

LoadReport loadWithOurs(const char* path) {
    ObjModel* model = nullptr;
    if (loadObjModel(&model, path) != ObjResult::LOADED) return {};
    const double arrays = (model->faceCount * sizeof(ObjFace) + model->vertexCount * 12.0 +
                           model->texCoordCount * 8.0 + model->normalCount * 12.0) /
                          (1 << 20);
    return {0, 0, arrays, model->faceCount};
}

LoadReport loadWithTinyObjLoader(const char* path) {
    // Left to the child's exit: freeing would count toward neither time nor peak.
    auto* attrib = new tinyobj::attrib_t;
    auto* shapes = new std::vector<tinyobj::shape_t>;
    auto* materials = new std::vector<tinyobj::material_t>;
    std::string warning, error;
    if (!tinyobj::LoadObj(attrib, shapes, materials, &warning, &error, path,
                          benchFile.directory.c_str(), true))
        return {};
    long triangles = 0;
    for (const tinyobj::shape_t& shape : *shapes)
        triangles += static_cast<long>(shape.mesh.num_face_vertices.size());
    return {0, 0, 0, triangles};
}

// Runs one load in a fresh child, so each starts from the same memory and none keeps the
// previous one's model; the child times itself. A small load first brings in the code pages
// (a forked child faults them in again), so that the peak counts the load's own memory only.
LoadReport loadInChild(LoadReport (*load)(const char* path), const std::string& path) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        load(benchFile.warmUpPath.c_str());
        const double before = residentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        LoadReport report = load(path.c_str());
        report.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        report.peakMegabytes = peakMegabytes() - before;
        const bool sent = write(pipeEnds[1], &report, sizeof report) == sizeof report;
        _exit(sent ? 0 : 1);
    }
    close(pipeEnds[1]);
    LoadReport report = {};
    if (read(pipeEnds[0], &report, sizeof report) != sizeof report) report = {};
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    return report;
}

void runLoads(benchmark::State& state, LoadReport (*load)(const char* path),
              const std::string& path, double megabytes) {
    double peak = 0, arrays = 0;
    long triangles = 0;
    for (auto _ : state) {
        const LoadReport report = loadInChild(load, path);
        if (report.triangles == 0) {
            state.SkipWithError("the load failed");
            return;
        }
        state.SetIterationTime(report.seconds);
        peak = std::max(peak, report.peakMegabytes);
        arrays = report.arrayMegabytes;
        triangles = report.triangles;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabytes * (1 << 20)));
    state.counters["file_MB"] = megabytes;
    state.counters["peak_MB"] = peak;
    if (arrays > 0) state.counters["arrays_MB"] = arrays;
    state.counters["triangles"] = static_cast<double>(triangles);
}

void ourReader(benchmark::State& state) {
    runLoads(state, loadWithOurs, benchFile.path, benchFile.megabytes);
}
void tinyObjLoader(benchmark::State& state) {
    runLoads(state, loadWithTinyObjLoader, benchFile.path, benchFile.megabytes);
}
void materialTable(benchmark::State& state) {
    runLoads(state, loadWithOurs, benchFile.tablePath, benchFile.tableMegabytes);
}

// Medians of single loads; main interleaves the repetitions of the two at random, so that both
// meet the machine in the same states (fresh memory costs far more than memory just freed).
BENCHMARK(ourReader)
    ->Name("LoadObj/ours")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(tinyObjLoader)
    ->Name("LoadObj/tinyobjloader")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(materialTable)
    ->Name("LoadObj/materialTable")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);  // a later argument may still turn it off
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    char directory[] = "/tmp/obj_load_bench.XXXXXX";
    if (!mkdtemp(directory)) return 1;
    benchFile.directory = std::string(directory) + "/";
    benchFile.path = benchFile.directory + MODEL_NAME;
    benchFile.warmUpPath = benchFile.directory + "warm_up.obj";
    benchFile.tablePath = benchFile.directory + TABLE_NAME;
    // Our reader looks for the library in the working directory, as the demo runs beside its
    // assets.
    if (!writeModel(benchFile.path) || !writeWarmUpModel(benchFile.warmUpPath) ||
        !writeLibrary(benchFile.directory + LIBRARY_NAME) ||
        !writeTableLibrary(benchFile.directory + TABLE_LIBRARY_NAME) ||
        !writeTableModel(benchFile.tablePath) || chdir(directory) != 0) {
        fprintf(stderr, "cannot write the benchmark model under %s\n", directory);
        return 1;
    }
    benchFile.megabytes = megabytesOf(benchFile.path);
    benchFile.tableMegabytes = megabytesOf(benchFile.tablePath);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove((benchFile.directory + LIBRARY_NAME).c_str());
    std::remove(benchFile.path.c_str());
    std::remove(benchFile.warmUpPath.c_str());
    std::remove(benchFile.tablePath.c_str());
    std::remove((benchFile.directory + TABLE_LIBRARY_NAME).c_str());
    rmdir(directory);
    return 0;
}
