// The faults of the first design that the reader mends (DESIGN.md, faults 1 to 6).
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "assets/obj_reader.h"
#include "obj_files.h"

namespace {

const Corners NONE = {-1, -1, -1};

using MendedFaults = ObjFiles;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A copy of a fixture that this process cannot open for writing: mode 0444, and for root, who
// passes mode bits, the immutable attribute. Removed again on destruction.
struct ReadOnlyCopy {
    std::string path;
    bool immutable = false;

    ReadOnlyCopy(const std::string& from, const std::string& to) : path(to) {
        std::ofstream(to, std::ios::binary) << readFile(from);
        chmod(to.c_str(), 0444);
        setImmutable(true);
    }
    ~ReadOnlyCopy() {
        if (immutable) setImmutable(false);
        unlink(path.c_str());
    }
    void setImmutable(bool on) {
        const int fd = open(path.c_str(), O_RDONLY);
        int flags = 0;
        if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            if (ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) immutable = on;
        }
        if (fd >= 0) close(fd);
    }
    bool writable() const {
        const int fd = open(path.c_str(), O_RDWR);
        if (fd >= 0) close(fd);
        return fd >= 0;
    }
};

TEST_F(MendedFaults, ReadOnlyModelAndLibraryLoad) {
    char directory[] = "/tmp/obj_read_only.XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string here = OBJ_FIXTURES;
    {
        ReadOnlyCopy model(here + "/materials.obj", std::string(directory) + "/model.obj");
        ReadOnlyCopy library(here + "/materials.mtl", std::string(directory) + "/materials.mtl");
        if (model.writable() || library.writable())
            GTEST_SKIP() << "cannot make a file read-only here";
        ASSERT_EQ(chdir(directory), 0);
        ObjModel* m = nullptr;
        EXPECT_EQ(loadObjModel(&m, "model.obj"), OBJ_LOADED);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->faceCount, 10);
        EXPECT_EQ(m->materialCount, 5);
        ASSERT_EQ(chdir(OBJ_FIXTURES), 0);
    }
    rmdir(directory);
}

TEST_F(MendedFaults, PolygonOf64CornersIsReadWhole) {
    const ObjModel* m = load("polygon64.obj");
    ASSERT_EQ(m->faceCount, 62);
    for (int i = 0; i < 62; ++i) expectFace(m->faces[i], {0, i + 1, i + 2}, NONE, NONE, -1, 0, 0);
}

TEST_F(MendedFaults, FacesOfFewerThanThreeCornersGiveNoRecord) {
    const ObjModel* m = load("two_corners.obj");
    ASSERT_EQ(m->faceCount, 1);
    expectFace(m->faces[0], {0, 1, 2}, NONE, NONE, -1, 0, 0);
}

TEST_F(MendedFaults, ZeroNegativeAndFarIndicesAreStoredForTheCompilerToTest) {
    const ObjModel* m = load("indices.obj");
    ASSERT_EQ(m->faceCount, 6);
    expectFace(m->faces[0], {-1, 0, 1}, NONE, NONE, -1, 0, 0);               // 0 names nothing
    expectFace(m->faces[1], {0, 1, 2}, {0, 8, -1}, {0, 8, -1}, -1, 0, 0);    // past the end; 0
    expectFace(m->faces[2], {0, 1, 2}, {0, -1, -1}, {0, -1, -1}, -1, 0, 0);  // -4 of 4 is the first
    expectFace(m->faces[3], {0, 1, 98}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[4], {-5, 0, 1}, NONE, NONE, -1, 0, 0);  // before the first record
    expectFace(m->faces[5], {0, 1, 2}, {-4, -1, -1}, {-4, -1, -1}, -1, 0, 0);
}

TEST_F(MendedFaults, LoneBackslashContinuesWithoutInventingACorner) {
    const ObjModel* m = load("lone_backslash.obj");
    ASSERT_EQ(m->faceCount, 4);  // 1 2 3 \ + 4 5: five corners; then 1 2 3\ with nothing after
    expectFace(m->faces[0], {0, 1, 2}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[1], {0, 2, 3}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[2], {0, 3, 4}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[3], {0, 1, 2}, NONE, NONE, -1, 0, 0);
}

TEST_F(MendedFaults, BackslashOnTheLastLineEndsThePolygon) {
    const ObjModel* m = load("backslash_last_line.obj");
    ASSERT_EQ(m->faceCount, 1);
    expectFace(m->faces[0], {0, 1, 2}, NONE, NONE, -1, 0, 0);
}

TEST_F(MendedFaults, MaterialFieldsStartZeroedAndEarlyKeywordsAreIgnored) {
    const ObjModel* m = load("materials.obj");
    ASSERT_EQ(m->materialCount, 5);
    const ObjMaterial& wood = m->materials[0];
    expectFloats(wood.diffuse, {0.8f, 0.6f, 0.4f, 1});  // the "Kd 9 9 9" before it went nowhere
    expectFloats(wood.ambient, {0, 0, 0, 0});
    EXPECT_EQ(wood.dissolve, 0.0f);
    EXPECT_EQ(wood.shininess, 0.0f);
    const ObjMaterial& glass = m->materials[3];
    expectFloats(glass.specular, {0, 0, 0, 0});
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SANITIZED = true;
#else
constexpr bool SANITIZED = false;
#endif

// A model too large for the address space the child is left: the reader gives up cleanly and
// stores nothing.
TEST(MendedFaultsMemory, RunningOutOfMemoryKeepsNothing) {
    if (SANITIZED) GTEST_SKIP() << "the sanitizers reserve more address space than the limit";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string text;
        for (int i = 0; i < 400000; ++i)
            text += "f 1 2 3 4 5 6 7 8 9 10 11 12\n";  // 4 M triangles, 208 MB
        unsigned long pages = 0;
        if (FILE* statm = fopen("/proc/self/statm", "r")) {
            if (fscanf(statm, "%lu", &pages) != 1) pages = 0;
            fclose(statm);
        }
        const rlim_t bytes =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
        const struct rlimit limit = {bytes + (96u << 20), bytes + (96u << 20)};
        setrlimit(RLIMIT_AS, &limit);
        ObjModel sentinel = {};
        ObjModel* model = &sentinel;
        const int result = parseObjModel(&model, text.data(), text.size(), nullptr);
        _exit(result == OBJ_OUT_OF_MEMORY && model == &sentinel ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
