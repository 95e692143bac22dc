// What the preview tests compare with: the frame the real capture tool writes for a pass, at the
// preview tests' size, from the fixture asset set. captureFrame(pass) as RGB, top row first.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/png_texture.h"
#include "support/child_run.h"
#include "support/text.h"

constexpr int FRAME_WIDTH = 320;   // pixels
constexpr int FRAME_HEIGHT = 180;  // pixels
const std::filesystem::path FIXTURE_ASSETS = std::filesystem::path(DEMO_TEST_DATA) / "assets";

// A time in seconds with six decimals that lies in pass `pass`'s interval at 60 a second, so that
// the capture's (from, to] range selects exactly that frame.
inline std::string secondsInPass(int64_t pass) {
    const int64_t micros = (pass * 1000000 + 59) / 60;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%06lld", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000));
    return text;
}

// Empty when the capture or its PNG fails.
inline std::vector<uint8_t> captureFrame(int64_t pass) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("preview_ref_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::vector<uint8_t> rgb;
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(pass - 1));
    if (runProgram({CAPTURE_EXECUTABLE, "--from", secondsInPass(pass - 1), "--to",
                    secondsInPass(pass), "--size", "320x180", "--png", dir},
                   {FIXTURE_ASSETS})
            .status != 0)
        return rgb;
    const std::string png = fileBytes(dir / name);
    std::filesystem::remove_all(dir);
    PngImage image = {};
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(png.data());
    if (decodePng(bytes, png.size(), &image) != 0) return rgb;
    // Decoded RGBA with the bottom row first; the preview's frames are RGB, top row first.
    for (uint32_t y = image.height; y-- > 0;)
        for (uint32_t x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c) rgb.push_back(image.pixels[(y * image.width + x) * 4 + c]);
    std::free(image.pixels);
    return rgb;
}
