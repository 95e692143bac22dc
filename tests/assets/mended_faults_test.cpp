// The faults of the first design that the reader mends.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "assets/obj_reader.h"
#include "obj_files.h"
#include "support/text.h"

namespace {

using MendedFaults = ObjFiles;

// Sets or clears the immutable attribute, which stops even root from opening the file for
// writing; false when the file system or the process cannot.
bool setImmutable(const std::string& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY);
    int flags = 0;
    bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return done;
}

TEST_F(MendedFaults, ReadOnlyModelAndLibraryLoad) {
    char directory[] = "/tmp/obj_read_only.XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string copies[] = {std::string(directory) + "/model.obj",
                                  std::string(directory) + "/materials.mtl"};
    std::ofstream(copies[0]) << fileBytes(OBJ_FIXTURES "/materials.obj");
    std::ofstream(copies[1]) << fileBytes(OBJ_FIXTURES "/materials.mtl");
    bool writable = false;
    for (const std::string& copy : copies) {
        chmod(copy.c_str(), 0444);
        setImmutable(copy, true);
        const int fd = open(copy.c_str(), O_RDWR);
        writable = writable || fd >= 0;
        if (fd >= 0) close(fd);
    }
    if (!writable) {
        ASSERT_EQ(chdir(directory), 0);
        ObjModel* m = nullptr;
        EXPECT_EQ(loadObjModel(&m, "model.obj"), OBJ_LOADED);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->faceCount, 10);
        EXPECT_EQ(m->materialCount, 5);
        freeObjModel(m);
    }
    for (const std::string& copy : copies) {
        setImmutable(copy, false);
        unlink(copy.c_str());
    }
    rmdir(directory);
    if (writable) GTEST_SKIP() << "cannot make a file read-only here";
}

TEST_F(MendedFaults, PolygonOf64CornersIsReadWhole) {
    const ObjModel* m = load("polygon64.obj");
    ASSERT_EQ(m->faceCount, 62);
    for (int i = 0; i < 62; ++i) {
        const ObjFace expected = {3, {0, i + 1, i + 2}, {-1, -1, -1}, {-1, -1, -1}, -1, 0, 0};
        EXPECT_EQ(std::memcmp(&m->faces[i], &expected, sizeof expected), 0) << "face " << i;
    }
}

TEST_F(MendedFaults, FixturesGiveTheirTriangles) {
    const struct {
        const char* name;
        std::initializer_list<Face> faces;
    } cases[] = {
        // Faces of fewer than three corners give no record.
        {"two_corners.obj", {{{0, 1, 2}}}},
        // Zero, negative and far indices are stored for the list compiler to test: 0 names
        // nothing, past the end stays, -4 of 4 is the first, -9 lies before the first record.
        {"indices.obj",
         {{{-1, 0, 1}},
          {{0, 1, 2}, {0, 8, -1}, {0, 8, -1}},
          {{0, 1, 2}, {0, -1, -1}, {0, -1, -1}},
          {{0, 1, 98}},
          {{-5, 0, 1}},
          {{0, 1, 2}, {-4, -1, -1}, {-4, -1, -1}}}},
        // A lone backslash continues without inventing a corner: 1 2 3 \ + 4 5 make five
        // corners; then 1 2 3\ with nothing after.
        {"lone_backslash.obj", {{{0, 1, 2}}, {{0, 2, 3}}, {{0, 3, 4}}, {{0, 1, 2}}}},
        // A backslash on the last line ends the polygon.
        {"backslash_last_line.obj", {{{0, 1, 2}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectFaces(load(c.name), c.faces);
    }
}

}  // namespace
