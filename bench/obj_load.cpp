// Loading large OBJ files with our reader and with tinyobjloader, in the same run, each load in a
// fresh child process, the repetitions of all of them interleaved at random. Four kinds of file,
// written to a temporary directory first, each within the reader's bound of 4 194 304 triangles
// (OBJ_MAX_TRIANGLES):
//   terrain: ~145 MB, a grid of 780 000 positions with v, vt and vn on every corner, 1.55 million
//            triangles as triangles and quads, usemtl switches;
//   sphere:  ~100 MB of positions and triangles alone ("f a b c");
//   quads:   ~100 MB of a torus of v/vt/vn quads;
//   assimp:  ~100 MB of Debian's assimp test models (WusonOBJ, regr01, spider) over and over.
// Ours also runs on one thread ("alone"), as it reads files below OBJ_SPLIT_BYTES, to show what
// reading the second half on a second thread gains on this machine.
// Reports the medians, tinyobjloader's time over ours, and each child's peak memory; beside the
// wall times, the medians of the CPU time each load's process took (all its threads), which a
// machine loaded by other work changes far less. A fifth model switches 200 000 times among a
// library of 100 000 materials: our reader alone, for the time its name lookups take.
//   build/bench/bench_obj_load   (OBJ_LOAD_ROUNDS=N for other than 9 rounds)
#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "assets/obj_reader.h"
#include "obj_models.h"

namespace {

struct BenchFile {
    std::string directory;
    std::string warmUpPath;  // a small model of the same kinds of line
    std::string tablePath;   // the model of many materials
    double tableMegabytes;
};
BenchFile benchFile;  // written once by main before the benchmarks run

// A kind of file the two readers are compared on.
struct ModelFile {
    const char* name;
    bool (*write)(const std::string& path);
    std::string path;
    double megabytes;  // file size, MB of 2^20 bytes
};

// What a child reports about one load.
struct LoadReport {
    double seconds;
    double cpuSeconds;      // user and system time of the child's threads during the load
    double peakMegabytes;   // growth of the child's peak resident set during the load
    double arrayMegabytes;  // our model's own arrays (0 for tinyobjloader)
    long triangles;
};

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

double cpuSeconds() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

LoadReport loadWithOurs(const char* path) {
    ObjModel* model = nullptr;
    int error = 0;
    if (loadObjModel(&model, path, &error) != ObjResult::LOADED) {
        fprintf(stderr, "bench: %s: %s\n", path, objErrorText(error));
        return {};
    }
    const double arrays = (model->faceCount * sizeof(ObjFace) + model->vertexCount * 12.0 +
                           model->texCoordCount * 8.0 + model->normalCount * 12.0) /
                          (1 << 20);
    return {0, 0, 0, arrays, model->faceCount};
}

// Our reader on one thread, however large the file: what the split over two threads gains.
LoadReport loadWithOursAlone(const char* path) {
    objSplit.minimumBytes = UINT64_MAX;  // in the child, which loads nothing else
    return loadWithOurs(path);
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
    return {0, 0, 0, 0, triangles};
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
        const double cpuBefore = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        LoadReport report = load(path.c_str());
        report.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        report.cpuSeconds = cpuSeconds() - cpuBefore;
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

// Every load's report, by benchmark name, for the summary after the run.
std::map<std::string, std::vector<LoadReport>> loads;

void runLoads(benchmark::State& state, const std::string& name,
              LoadReport (*load)(const char* path), const std::string& path, double megabytes) {
    double peak = 0, arrays = 0;
    long triangles = 0;
    for (auto _ : state) {
        const LoadReport report = loadInChild(load, path);
        if (report.triangles == 0) {
            state.SkipWithError("the load failed");
            return;
        }
        state.SetIterationTime(report.seconds);
        loads[name].push_back(report);
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

// Medians of single loads; the repetitions of all of them are interleaved at random, so that
// every reader meets the machine in the same states (fresh memory costs far more than memory just
// freed).
void addLoads(const std::string& name, LoadReport (*load)(const char* path),
              const std::string& path, double megabytes, int repetitions) {
    benchmark::RegisterBenchmark(
        name.c_str(),
        [=](benchmark::State& state) { runLoads(state, name, load, path, megabytes); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true);
}

struct Summary {
    double medianMilliseconds;
    double medianCpuMilliseconds;
    double peakMegabytes;
};

double medianOf(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Summary summaryOf(const std::string& name) {
    std::vector<double> seconds, cpuSeconds;
    Summary summary = {0, 0, 0};
    for (const LoadReport& report : loads[name]) {
        seconds.push_back(report.seconds);
        cpuSeconds.push_back(report.cpuSeconds);
        summary.peakMegabytes = std::max(summary.peakMegabytes, report.peakMegabytes);
    }
    summary.medianMilliseconds = medianOf(seconds) * 1000;
    summary.medianCpuMilliseconds = medianOf(cpuSeconds) * 1000;
    return summary;
}

// One line per kind of file: the medians, how many times as fast ours is, the peaks.
void printSummary(const std::vector<ModelFile>& files) {
    std::printf("\n%-8s %7s %9s %9s %7s %9s %9s %7s %9s %9s %9s %9s\n", "file", "MB", "ours ms",
                "tiny ms", "ratio", "ours cpu", "tiny cpu", "ratio", "ours MB", "tiny MB",
                "alone ms", "alone MB");
    for (const ModelFile& file : files) {
        const Summary ours = summaryOf(std::string("LoadObj/ours/") + file.name);
        const Summary tiny = summaryOf(std::string("LoadObj/tinyobjloader/") + file.name);
        const Summary alone = summaryOf(std::string("LoadObj/oursAlone/") + file.name);
        if (ours.medianMilliseconds <= 0 || tiny.medianMilliseconds <= 0) continue;
        std::printf("%-8s %7.1f %9.1f %9.1f %6.2fx %9.1f %9.1f %6.2fx %9.1f %9.1f %9.1f %9.1f\n",
                    file.name, file.megabytes, ours.medianMilliseconds, tiny.medianMilliseconds,
                    tiny.medianMilliseconds / ours.medianMilliseconds, ours.medianCpuMilliseconds,
                    tiny.medianCpuMilliseconds,
                    tiny.medianCpuMilliseconds / std::max(ours.medianCpuMilliseconds, 1e-3),
                    ours.peakMegabytes, tiny.peakMegabytes, alone.medianMilliseconds,
                    alone.peakMegabytes);
    }
    std::printf(
        "ratio: tinyobjloader's median time over ours; cpu: median CPU ms of the loading "
        "process, all its threads; MB: growth of the child's peak resident set during the "
        "load; alone: ours on one thread\n");
}

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
    benchFile.warmUpPath = benchFile.directory + "warm_up.obj";
    benchFile.tablePath = benchFile.directory + TABLE_NAME;
    // Our reader looks for the library in the working directory, as the demo runs beside its
    // assets.
    if (!writeWarmUpModel(benchFile.warmUpPath) ||
        !writeLibrary(benchFile.directory + LIBRARY_NAME) ||
        !writeTableLibrary(benchFile.directory + TABLE_LIBRARY_NAME) ||
        !writeTableModel(benchFile.tablePath) || chdir(directory) != 0) {
        fprintf(stderr, "cannot write the benchmark models under %s\n", directory);
        return 1;
    }
    benchFile.tableMegabytes = megabytesOf(benchFile.tablePath);
    std::vector<ModelFile> files = {{"terrain", writeModel, MODEL_NAME, 0},
                                    {"sphere", writeSphere, "sphere.obj", 0},
                                    {"quads", writeQuads, "quads.obj", 0},
                                    {"assimp", writeAssimpModels, "assimp.obj", 0}};
    const int repetitions =
        std::getenv("OBJ_LOAD_ROUNDS") ? std::atoi(std::getenv("OBJ_LOAD_ROUNDS")) : 9;
    for (ModelFile& file : files) {
        file.path = benchFile.directory + file.path;
        if (!file.write(file.path)) {
            fprintf(stderr, "cannot write the %s model under %s; left out\n", file.name, directory);
            continue;
        }
        file.megabytes = megabytesOf(file.path);
        addLoads(std::string("LoadObj/ours/") + file.name, loadWithOurs, file.path, file.megabytes,
                 repetitions);
        addLoads(std::string("LoadObj/oursAlone/") + file.name, loadWithOursAlone, file.path,
                 file.megabytes, repetitions);
        addLoads(std::string("LoadObj/tinyobjloader/") + file.name, loadWithTinyObjLoader,
                 file.path, file.megabytes, repetitions);
    }
    addLoads("LoadObj/materialTable", loadWithOurs, benchFile.tablePath, benchFile.tableMegabytes,
             3);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary(files);
    std::filesystem::remove_all(directory);
    return 0;
}
