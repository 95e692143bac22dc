// The readers on hostile files: a model rewritten while it loads, a PNG whose text chunks inflate
// to gigabytes, a library of a hundred thousand materials, soundtracks that are no MP3 stream.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <thread>

#include "assets/obj_reader.h"
#include "assets/png_texture.h"
#include "platform/soundtrack.h"
#include "scenes/scene_resources.h"
#include "support/child_run.h"
#include "support/text.h"

namespace {

TEST(HostileFiles, AModelRewrittenWhileItLoadsGivesAShorterOrOtherModelAndNeverASignal) {
    AssetCopy copy;
    const std::string path = copy.root + "/model.obj";
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    for (int i = 0; i < 200000; ++i) text += "f 1 2 3\n";
    std::ofstream(path) << text;
    // Loads while another thread cuts the file and writes it again, over and over.
    const ChildRun run = runInChild([&] {
        std::atomic<bool> loading{true};
        std::thread rewriter([&] {
            const int fd = open(path.c_str(), O_WRONLY);
            while (loading && ftruncate(fd, 0) == 0 &&
                   pwrite(fd, text.data(), text.size(), 0) > 0) {}
            close(fd);
        });
        int tooLong = 0;
        for (int i = 0; i < 300; ++i) {
            ObjModel* model = nullptr;
            if (loadObjModel(&model, path.c_str()) != ObjResult::LOADED) continue;
            tooLong += model->faceCount > 200000;
            freeObjModel(model);
        }
        loading = false;
        rewriter.join();
        return tooLong;
    });
    EXPECT_EQ(run.status, 0) << "SIGBUS makes it " << 128 + SIGBUS << "\n" << run.err;
}

void appendBigEndian(std::string* out, uLong value) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>(value >> shift));
}

void appendChunk(std::string* png, const char* type, const std::string& data) {
    const std::string body = std::string(type, 4) + data;
    appendBigEndian(png, data.size());
    *png += body;
    appendBigEndian(png, crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size()));
}

// `bytes` compressed; untouched calloc'd zeros take no memory.
std::string deflated(const void* bytes, size_t size) {
    uLongf length = compressBound(size);
    std::string out(length, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &length, static_cast<const Bytef*>(bytes), size,
              Z_BEST_COMPRESSION);
    return out.substr(0, length);
}

TEST(HostileFiles, PngTextChunksThatInflateToGigabytesAreSkippedAndTheImageStillLoads) {
    const size_t textBytes = size_t{128} << 20;
    void* zeros = std::calloc(textBytes, 1);
    const std::string bomb = std::string("Comment\0\0", 9) + deflated(zeros, textBytes);
    std::free(zeros);
    std::string png = "\x89PNG\r\n\x1a\n";
    appendChunk(&png, "IHDR", std::string("\0\0\0\2\0\0\0\2\x08\x06\0\0\0", 13));  // 2x2 RGBA8
    for (int i = 0; i < 3; ++i) appendChunk(&png, "zTXt", bomb);
    const std::string redRow = std::string(1, '\0') + std::string("\xff\0\0\xff\xff\0\0\xff", 8);
    appendChunk(&png, "IDAT", deflated((redRow + redRow).data(), 2 * redRow.size()));
    appendChunk(&png, "IEND", "");
    AssetCopy copy;
    const std::string path = copy.root + "/bomb.png";
    std::ofstream(path, std::ios::binary) << png;
    // The child's peak memory grows by the 384 MiB of text, or by next to nothing.
    const ChildRun run = runInChild([&] {
        struct rusage before = {}, after = {};
        getrusage(RUSAGE_SELF, &before);
        PngMipmaps mipmaps = {};
        const bool red = readPngMipmaps(path.c_str(), &mipmaps) == 0 &&
                         mipmaps.pixels[0][0] == 0xff && mipmaps.pixels[0][1] == 0;
        getrusage(RUSAGE_SELF, &after);
        const long grownMegabytes = (after.ru_maxrss - before.ru_maxrss) >> 10;
        return red ? static_cast<int>(std::min(100L, grownMegabytes)) : 255;
    });
    EXPECT_LT(run.status, 32) << "MiB more at the peak; 255: the image did not load";
}

int openLibraryText(void* context, const char*, AssetFile* file) {
    const auto* text = static_cast<const std::string*>(context);
    *file = memoryAssetFile(text->data(), text->size());
    return 0;
}
void closeLibraryText(void*, AssetFile*) {}

TEST(HostileFiles, AHundredThousandMaterialsFindTheFirstOfEachNameForEveryUsemtl) {
    // Names repeat from the 60 000th on, so each name's first material comes first; some names
    // used are in no library, and short names are prefixes of longer ones.
    constexpr int MATERIALS = 100000;
    constexpr int DISTINCT = 60000;
    std::string library;
    for (int i = 0; i < MATERIALS; ++i) library += "newmtl m" + std::to_string(i % DISTINCT) + "\n";
    std::string model = "mtllib lib\nv 0 0 0\nv 1 0 0\nv 0 1 0\n";
    std::vector<int32_t> expected;
    std::mt19937 random(13);
    for (int i = 0; i < 200000; ++i) {
        const int name = static_cast<int>(random() % 70000);
        model += "usemtl m" + std::to_string(name) + "\nf 1 2 3\n";
        expected.push_back(name < DISTINCT ? name : -1);
    }
    const ObjLibrarySource source = {openLibraryText, closeLibraryText, &library};
    ObjModel* read = nullptr;
    ASSERT_EQ(parseObjModel(&read, model.data(), model.size(), &source), ObjResult::LOADED);
    ASSERT_EQ(read->materialCount, MATERIALS);
    ASSERT_EQ(read->faceCount, static_cast<int32_t>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(read->faces[i].materialIndex, expected[i]) << "face " << i;
    freeObjModel(read);
}

TEST(HostileFiles, ASoundtrackThatIsNoCompleteMp3StreamGivesExactlyOurOneLine) {
    AssetCopy copy;
    const std::string cases[] = {
        std::string(20000, 'z'),                                                 // garbage
        "RIFF" + std::string(4, '\1') + "WAVEfmt " + std::string(4096, '\x11'),  // renamed WAV
        "OggS" + std::string(8000, '\x22'),                                      // renamed Ogg
        "fLaC" + std::string(8000, '\x33'),                                      // renamed FLAC
        fileBytes(copy / sceneFiles.soundtrack).substr(0, 3000),                 // cut short
    };
    const std::string soundtrackPath = copy / sceneFiles.soundtrack;
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.substr(0, 4));
        std::ofstream(soundtrackPath, std::ios::binary) << bytes;
        const std::string err = printedInChild([&] { prepareSoundtrack(soundtrackPath.c_str()); },
                                               {"", {"SDL_AUDIODRIVER=dummy"}});
        ASSERT_EQ(lines(err).size(), 1u) << err;
        EXPECT_EQ(err.rfind("demo: " + soundtrackPath + ": ", 0), 0u) << err;
    }
}

}  // namespace
