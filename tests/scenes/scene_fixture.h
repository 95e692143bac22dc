// What the scene and overlay tests draw with: a small real context with the shared render state,
// 1x1 textures of known colours, the probe program (unit 0 + unit 1, unlit) and marker lists.
// prepareSceneFixture() at the start of each test; findColour() to locate what was drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int VIEW_WIDTH = 320;   // pixels
constexpr int VIEW_HEIGHT = 180;  // pixels

struct Rgb {
    int r, g, b;
};

// The probe program shows a model as the sum of its two maps, so each pair has its own colour.
constexpr Rgb PAIR_1_1N = {200, 0, 100};    // texture1 + texture1n
constexpr Rgb PAIR_OR_N = {0, 200, 200};    // textureOr + textureN
constexpr Rgb PAIR_HR_N = {100, 100, 200};  // textureHr + textureN

// Context current, render state set, fog as start-up leaves it, sceneResources filled with the
// textures above and the probe program (samplers connected), every list 0, the demo clock at its
// start, fadeAlpha 1, and a cleared frame with the identity modelview matrix.
void prepareSceneFixture();

// A 1x1 texture of one RGBA colour, nearest filtering.
unsigned solidTexture(int r, int g, int b, int a = 255);

// A list drawing a square of side 2 * half, facing both ways, centred on (x, y, z) in model units.
uint32_t markerList(double x, double y, double z, double half = 15.0);

struct Spot {
    double x, y;  // pixels, bottom-left origin; the centre of the pixels found
    int count;    // pixels of exactly that colour
};

// The back buffer as RGBA bytes, bottom row first.
std::vector<uint8_t> readFrame();
Spot findColour(Rgb colour);

// Where an eye-space point lands in the test view, by the start-up projection.
Spot projectEye(double x, double y, double z);
