// What the reader takes where a careless one would fail: read-only files, polygons of any size.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "assets/obj_reader.h"
#include "obj_files.h"
#include "support/child_run.h"
#include "support/text.h"

namespace {

using ObjReaderAccepts = ObjFiles;

// Clears from the effective set the capabilities that let root open a file whatever its mode, so
// that a mode of 0444 means read-only for this process too.
bool dropFileCapabilities() {
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
        data[cap / 32].effective &= ~(1u << (cap % 32));
    return syscall(SYS_capset, &header, data) == 0;
}

// In a child, so that the test process keeps its capabilities: the model and its library are
// 0444 and cannot be opened for writing, as a user who owns neither finds them.
TEST_F(ObjReaderAccepts, ReadOnlyModelAndLibraryLoad) {
    char directory[] = "/tmp/obj_read_only.XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string copies[] = {std::string(directory) + "/model.obj",
                                  std::string(directory) + "/materials.mtl"};
    std::ofstream(copies[0]) << fileBytes(OBJ_FIXTURES "/materials.obj");
    std::ofstream(copies[1]) << fileBytes(OBJ_FIXTURES "/materials.mtl");
    for (const std::string& copy : copies) chmod(copy.c_str(), 0444);
    const int status = runInChild(
                           [&] {
                               if (!dropFileCapabilities()) return 10;
                               for (const std::string& copy : copies)
                                   if (open(copy.c_str(), O_RDWR) >= 0) return 11;
                               ObjModel* m = nullptr;
                               if (loadObjModel(&m, "model.obj") != ObjResult::LOADED) return 12;
                               return m->faceCount == 10 && m->materialCount == 5 ? 0 : 13;
                           },
                           {directory})
                           .status;
    for (const std::string& copy : copies) unlink(copy.c_str());
    rmdir(directory);
    EXPECT_NE(status, 10) << "cannot drop the capabilities";
    EXPECT_NE(status, 11) << "the copies are still writable";
    EXPECT_EQ(status, 0);
}

TEST_F(ObjReaderAccepts, PolygonOf64CornersIsReadWhole) {
    const ObjModel* m = load("polygon64.obj");
    ASSERT_EQ(m->faceCount, 62);
    for (int i = 0; i < 62; ++i) {
        const ObjFace expected = {3, {0, i + 1, i + 2}, {-1, -1, -1}, {-1, -1, -1}, -1, 0, 0};
        EXPECT_EQ(std::memcmp(&m->faces[i], &expected, sizeof expected), 0) << "face " << i;
    }
}

}  // namespace
