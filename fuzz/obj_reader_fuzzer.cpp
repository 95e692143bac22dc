// libFuzzer target over the OBJ and MTL readers, from memory. The input is an OBJ text, optionally
// followed by LIBRARY_MARK and the text of the library that its "mtllib " name opens. Each model
// is compared, field by field and bit for bit, with the literal reading of reference_reader (C
// library strtok, atof, sscanf over fgets-style pieces), and the number conversions with the C
// library on the input's first line; any difference aborts.
//   scripts/fuzz.sh   (FUZZ_SECONDS=900 scripts/fuzz.sh for a longer run)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "assets/obj_reader.h"
#include "assets/text_scan.h"
#include "reference_reader.h"

namespace {

constexpr const char* LIBRARY_MARK = "\n~~mtl~~\n";

struct Library {
    std::string text;
    size_t windowBytes;  // as the model's text is read
};

int openLibrary(void* context, const char*, AssetFile* file) {
    const auto* library = static_cast<const Library*>(context);
    *file = memoryAssetFile(library->text.data(), library->text.size(), library->windowBytes);
    return 0;
}

void closeLibrary(void*, AssetFile*) {}

void fail(const std::string& what) {
    fprintf(stderr, "difference: %s\n", what.c_str());
    abort();
}

// The conversions on the first line, against atof and sscanf themselves.
void compareConversions(const std::string& input) {
    const std::string line = input.substr(0, std::min(input.find('\n'), size_t{120}));
    const char* text = line.c_str();  // the C functions stop at a NUL, so the scans do too
    const char* end = text + std::strlen(text);
    const double expectedDouble = std::atof(text);
    double value;
    scanAtof(text, end, &value);
    if (std::memcmp(&value, &expectedDouble, sizeof value) != 0) fail("atof of " + line);

    float expected[3] = {-7, -7, -7}, floats[3] = {-7, -7, -7};
    const int converted = std::sscanf(text, "%f%f%f", &expected[0], &expected[1], &expected[2]);
    int count = 0;
    for (const char* p = text; count < 3 && (p = scanFloat(p, end, &floats[count])); ++count) {}
    if (count != (converted < 0 ? 0 : converted) ||
        std::memcmp(floats, expected, sizeof floats) != 0)
        fail("%f%f%f of " + line);

    int expectedInt = -7;
    int32_t integer = -7;
    const bool intConverted = std::sscanf(text, "%d", &expectedInt) == 1;
    if ((scanInt(text, end, &integer) != nullptr) != intConverted || integer != expectedInt)
        fail("%d of " + line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    compareConversions(input);

    const size_t mark = input.find(LIBRARY_MARK);
    // An exact-size copy, so that a read past the model's text is a heap overflow.
    const size_t objLength = mark == std::string::npos ? size : mark;
    char* obj = static_cast<char*>(std::malloc(objLength ? objLength : 1));
    std::memcpy(obj, data, objLength);
    Library library{
        mark == std::string::npos ? std::string() : input.substr(mark + std::strlen(LIBRARY_MARK)),
        0};
    const ObjLibrarySource source = {openLibrary, closeLibrary, &library};

    // The whole text at once, and through windows of 512 bytes, which cut its lines and pieces
    // as a large file's windows do; each by one thread, and by two split near the middle or a
    // third of the way.
    const ObjSplit oneThread = {UINT64_MAX, SPLIT_AT_MIDDLE, 2};
    const ObjSplit splits[] = {
        oneThread, oneThread, {0, SPLIT_AT_MIDDLE, 0}, {0, objLength / 3, 0}};
    const size_t windows[] = {SIZE_MAX, 512, SIZE_MAX, 512};
    for (int read = 0; read < 4; ++read) {
        const size_t windowBytes = windows[read];
        objSplit = splits[read];
        library.windowBytes = windowBytes;
        AssetFile text = memoryAssetFile(obj, objLength, windowBytes);
        ObjModel* model = nullptr;
        if (readObjModel(&model, &text, &source) != ObjResult::LOADED) fail("the load failed");
        const ReferenceModel reference = readReferenceModel(
            std::string(obj, objLength), {{model->materialLibrary, library.text}});
        std::string difference;
        if (!sameAsReference(*model, reference, &difference)) fail(difference);
        freeObjModel(model);
    }
    std::free(obj);
    return 0;
}
