// The reader over two threads against the reader alone: a text split at any line start, read
// whole or through small windows, from memory or from a file, gives the same result and the same
// records, bit for bit.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "assets/obj_reader.h"

namespace {

const std::map<std::string, std::string> LIBRARIES = {
    {"lib.mtl", "newmtl a\nnewmtl b\nnewmtl Wood\n"}, {"other.mtl", "newmtl b\n"}};

int openLibrary(void*, const char* name, AssetFile* file) {
    const auto found = LIBRARIES.find(name);
    if (found == LIBRARIES.end()) return ENOENT;
    *file = memoryAssetFile(found->second.data(), found->second.size());
    return 0;
}

void closeLibrary(void*, AssetFile*) {}

const ObjLibrarySource LIBRARY_SOURCE = {openLibrary, closeLibrary, nullptr};
constexpr ObjSplit ONE_THREAD = {UINT64_MAX, SPLIT_AT_MIDDLE, 2};

// Split at `at` however many cores the test may run on.
ObjSplit splitAt(uint64_t at) { return {0, at, 0}; }

struct Read {
    ObjResult result;
    ObjModel* model;           // null unless loaded
    uint64_t secondHalfBytes;  // what the second thread's records stood for
};

Read readText(const std::string& text, ObjSplit split, size_t windowBytes) {
    objSplit = split;
    AssetFile file = memoryAssetFile(text.data(), text.size(), windowBytes);
    Read read = {};
    read.result = readObjModel(&read.model, &file, &LIBRARY_SOURCE);
    read.secondHalfBytes = objSecondHalfBytes;
    objSplit = ONE_THREAD;
    return read;
}

template <typename T>
bool sameArray(const T* a, const T* b, int32_t count) {
    return count == 0 || std::memcmp(a, b, sizeof(T) * static_cast<size_t>(count)) == 0;
}

// Where two reads differ, in words; empty when they do not.
std::string difference(const Read& one, const Read& two) {
    if (one.result != two.result) return "the results differ";
    if (!one.model) return "";
    const ObjModel& a = *one.model;
    const ObjModel& b = *two.model;
    if (a.faceCount != b.faceCount || a.vertexCount != b.vertexCount ||
        a.normalCount != b.normalCount || a.texCoordCount != b.texCoordCount)
        return "the counts differ";
    if (!sameArray(a.faces, b.faces, a.faceCount)) return "the triangles differ";
    if (!sameArray(a.vertices, b.vertices, a.vertexCount * 3)) return "the positions differ";
    if (!sameArray(a.normals, b.normals, a.normalCount * 3)) return "the normals differ";
    if (!sameArray(a.texCoords, b.texCoords, a.texCoordCount * 2))
        return "the texture coordinates differ";
    if (std::strcmp(a.materialLibrary, b.materialLibrary) != 0 ||
        a.materialCount != b.materialCount || a.materialLibraryError != b.materialLibraryError)
        return "the libraries differ";
    return "";
}

std::vector<uint64_t> lineStarts(const std::string& text) {
    std::vector<uint64_t> starts = {0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') starts.push_back(i + 1);
    return starts;
}

class ObjSplitRead : public ::testing::Test {
protected:
    void SetUp() override { saved = objSplit; }
    void TearDown() override { objSplit = saved; }

    // Reads the text split at `at` as the reader alone reads it, whole and in windows of 512
    // bytes; the bytes the second thread's records stood for, in the whole read.
    uint64_t expectSameSplitAt(const std::string& text, uint64_t at, const std::string& what) {
        uint64_t taken = 0;
        for (const size_t windowBytes : {SIZE_MAX, size_t{512}}) {
            Read alone = readText(text, ONE_THREAD, windowBytes);
            Read split = readText(text, splitAt(at), windowBytes);
            EXPECT_EQ(difference(alone, split), "")
                << what << ", split at " << at << ", windows of " << windowBytes;
            if (windowBytes == SIZE_MAX) taken = split.secondHalfBytes;
            freeObjModel(alone.model);
            freeObjModel(split.model);
        }
        return taken;
    }

private:
    ObjSplit saved;
};

// Lines of every kind the two halves meet: the fast path's shapes with negative indices that
// reach back past the split, material switches, libraries, continuations, lines that only the
// line path reads, ignored lines long enough to hold a keyword where a reader cuts a piece.
std::string generatedText(std::mt19937* random) {
    static const char* lines[] = {"v 1 2 3",
                                  "v -0.5 2.25 1e3",
                                  "vt 0.5 0.25",
                                  "vn 0 0 1",
                                  "f 1 2 3",
                                  "f -3 -2 -1",
                                  "f 1/1/1 2/1/1 3/1/1 4/1/1",
                                  "f -4//-1 -3//-2 -2//-1",
                                  "f 2/-1 3/-2 1/-3",
                                  "usemtl a",
                                  "usemtl Wood",
                                  "usemtl none",
                                  "mtllib lib.mtl",
                                  "mtllib other.mtl",
                                  "# a comment",
                                  "g group",
                                  "s 1",
                                  "f 1 2 \\",
                                  "1 2 3",
                                  "\tv 4 5 6",
                                  "v\t7 8 9",
                                  "f 1\t2 3",
                                  "usemtl",
                                  "f 1 2 999999999",
                                  "vp 1 2",
                                  ""};
    std::string text;
    const int count = 1 + static_cast<int>((*random)() % 30);
    for (int i = 0; i < count; ++i) {
        std::string line = lines[(*random)() % (sizeof lines / sizeof lines[0])];
        // A keyword where the vertex, library or face reader cuts its second piece, or nearby.
        static const size_t pads[] = {97, 98, 99, 253, 254, 255, 497, 498, 499};
        if ((*random)() % 8 == 0) line = "#" + std::string(pads[(*random)() % 9], ' ') + line;
        text += line;
        if (i + 1 < count || (*random)() % 2) text += (*random)() % 4 ? "\n" : "\r\n";
    }
    return text;
}

TEST_F(ObjSplitRead, GeneratedTextsSplitAtEveryLineReadAsByOneThread) {
    std::mt19937 random(20261207);
    int count = 0, taken = 0;
    for (int i = 0; i < 300 && !HasFailure(); ++i) {
        const std::string text = generatedText(&random);
        std::vector<uint64_t> splits = lineStarts(text);
        splits.push_back(random() % (text.size() + 1));  // inside a line: the next line start
        for (const uint64_t at : splits) {
            ++count;
            taken += expectSameSplitAt(text, at, "text " + std::to_string(i) + ":\n" + text) > 0;
        }
    }
    // Most splits leave the second thread something it settles.
    EXPECT_GT(taken, count / 3);
}

TEST_F(ObjSplitRead, WhatTheSecondThreadSettlesIsTakenAndWhatItCannotIsReadAgain) {
    const std::string vertices = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n";
    struct Case {
        const char* what;
        std::string first, second;  // split between them
        bool taken;
    };
    const Case cases[] = {
        {"negative indices across the split", vertices,
         "f -3//-1 -2//-1 -1//-1\nv 1 1 1\n"
         "f -4 -2 -1\nf 1//-2 2//-2 3//-2\n",
         true},
        {"usemtl before and after the split", "mtllib lib.mtl\nusemtl b\n" + vertices,
         "f 1 2 3\nusemtl Wood\nf 1 2 3\nusemtl x\nf 1 2 3\n", true},
        {"a library named after the split", vertices, "f 1 2 3\nmtllib lib.mtl\nusemtl a\n", false},
        {"a continuation across the split", vertices + "f 1 2 \\\n", "f 3\nf 1 2 3\n", false},
        {"CRLF", "mtllib lib.mtl\r\n" + vertices, "usemtl a\r\nf 1 2 3\r\nf 3 2 1\r\n", true},
        {"no line feed at the end", vertices, "f 1 2 3\nf 3 2 1", true},
        {"a material switch in a long line's second face piece", "mtllib lib.mtl\n" + vertices,
         "f 1 2 3\n#" + std::string(498, ' ') + "usemtl b\nf 1 2 3\n", true},
        {"a line only the line path reads", vertices, "f 1 2 3\nf 1\t2 3\nf 1 2 3\n", true},
    };
    for (const Case& c : cases) {
        const uint64_t taken = expectSameSplitAt(c.first + c.second, c.first.size(), c.what);
        EXPECT_EQ(taken > 0, c.taken) << c.what;
    }
}

// `lines` fans of 62 triangles over three positions.
std::string fans(int lines) {
    std::string fan = "f";
    for (int k = 0; k < 64; ++k) fan += k % 2 ? " 2" : " 3";
    fan += "\n";
    std::string text;
    for (int i = 0; i < lines; ++i) text += fan;
    return text;
}

TEST_F(ObjSplitRead, TrianglesPastTheBoundInTheSecondHalfFailTheRead) {
    const int overBound = OBJ_MAX_TRIANGLES / 62 + 1;
    const std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n" + fans(overBound);
    // Past the bound in the second half alone, and only with the first half's triangles.
    for (const uint64_t at : {uint64_t{24}, text.size() / 2}) {
        Read read = readText(text, splitAt(at), SIZE_MAX);
        EXPECT_EQ(read.result, ObjResult::TOO_MANY_TRIANGLES) << "split at " << at;
        EXPECT_EQ(read.model, nullptr);
    }
}

TEST_F(ObjSplitRead, AFileOfManyWindowsSplitInTheMiddleReadsAsByOneThread) {
    std::mt19937 random(5);
    std::string text;
    while (text.size() < 8 * ASSET_WINDOW_BYTES) text += generatedText(&random) + "\n";
    text += std::string(ASSET_WINDOW_BYTES + 10, '#') + "\nf 1 2 3\n";  // a line past a window
    const std::string path = testing::TempDir() + "obj_split_test.obj";
    std::ofstream(path, std::ios::binary) << text;
    Read reads[2] = {};
    for (const ObjSplit split : {ONE_THREAD, splitAt(SPLIT_AT_MIDDLE)}) {
        objSplit = split;
        Read& read = reads[split.minimumBytes == 0];
        int error = 0;
        read.result = loadObjModel(&read.model, path.c_str(), &error);
        read.secondHalfBytes = objSecondHalfBytes;
    }
    std::remove(path.c_str());
    EXPECT_EQ(difference(reads[0], reads[1]), "");
    EXPECT_GT(reads[1].secondHalfBytes, 0u);
    freeObjModel(reads[0].model);
    freeObjModel(reads[1].model);
}

}  // namespace
