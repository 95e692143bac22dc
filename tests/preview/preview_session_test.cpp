#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "driver/startup.h"
#include "frame_clock.h"
#include "platform/console.h"
#include "platform/glfw_window.h"
#include "preview_session.h"
#include "reference_frames.h"
#include "scenes/scene_resources.h"
#include "support/child_run.h"
#include "support/text.h"

namespace fs = std::filesystem;

namespace {

using R = SceneResources;

// One thing the script does once the preview has shown a number of frames: keys to press, each
// after the wall clock has moved on by `delay` seconds, and a change to the asset files.
struct ScriptedKey {
    PlatformKey key;
    bool shift;
    double delay;  // seconds after the previous key was taken or the frame shown
};
struct ScriptStep {
    int afterFrames;
    std::vector<ScriptedKey> keys;
    void (*edit)(const fs::path& dir);
};

// The child's script and its clock: the wall clock moves only when the preview waits.
struct Script {
    std::vector<ScriptStep> steps;
    std::deque<ScriptedKey> keys;
    double wall;      // seconds
    double keyReady;  // wall time at which the first queued key may be taken
    int frames;       // frames shown
    fs::path dir;     // the asset directory, where the frames are written
    void (*windowSwap)();
};
Script script;

double scriptNow() { return script.wall; }
void scriptWait(double seconds) { script.wall += seconds > 0.001 ? seconds : 0.001; }

bool scriptKey(KeyPress* press) {
    // A run that stops answering ends instead of hanging the test.
    if (script.wall > 1000.0) script.keys = {{KEY_ESCAPE, false, 0.0}};
    if (script.keys.empty() || script.wall < script.keyReady + script.keys.front().delay)
        return false;
    *press = KeyPress{script.keys.front().key, script.keys.front().shift};
    script.keys.pop_front();
    script.keyReady = script.wall;
    return true;
}

// Keeps every frame shown as raw RGB (top row first), with its pass, then plays the script.
void recordingSwap() {
    const bool shown = !previewSession.priming && !previewSession.quit;
    script.windowSwap();
    if (!shown) return;
    std::vector<uint8_t> rgb(FRAME_WIDTH * FRAME_HEIGHT * 3);
    readOffscreenFrame(previewSession.target, rgb.data());
    std::ofstream(script.dir / ("frame_" + std::to_string(script.frames) + ".rgb"))
        .write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    std::ofstream(script.dir / "passes.txt", std::ios::app) << frameClock.passes << "\n";
    ++script.frames;
    script.keyReady = script.wall;
    for (const ScriptStep& step : script.steps) {
        if (step.afterFrames != script.frames) continue;
        if (step.edit) step.edit(script.dir);
        script.keys.insert(script.keys.end(), step.keys.begin(), step.keys.end());
    }
}

int scriptedPlatform() {
    platform.now = scriptNow;
    platform.waitEvents = scriptWait;
    platform.nextKeyPress = scriptKey;
    const int result = adaptPlatformForPreview();
    script.windowSwap = platform.swapAndPoll;
    platform.swapAndPoll = recordingSwap;
    return result;
}

struct Shown {
    int64_t pass;
    std::vector<uint8_t> rgb;
};
struct SessionRun {
    int status;
    std::vector<Shown> frames;
    std::string out;
    std::string err;
};

// The real start-up and a preview session in a child, from a copy of the fixture assets, in a
// hidden window of the tests' frame size; `arguments` as on the preview's command line.
SessionRun runSession(const std::vector<std::string>& arguments,
                      const std::vector<ScriptStep>& steps) {
    const AssetCopy copy;
    const ChildRun child = runInChild(
        [&] {
            consoleDevice.path = "/nonexistent/console";
            CommandLine line("preview", arguments);
            if (parsePreviewArguments(line.argc(), line.argv(), &previewSession.arguments) != 0)
                return 98;
            script = Script{steps, {}, 0.0, 0.0, 0, copy.dir, nullptr};
            return runDemoIn(WindowRequest{FRAME_WIDTH, FRAME_HEIGHT, false, false},
                             StartupHooks{scriptedPlatform, nullptr});
        },
        {copy.dir, {"SDL_AUDIODRIVER=dummy"}, {}, 100});
    SessionRun run = {child.status, {}, child.out, child.err};
    std::ifstream passes(copy / "passes.txt");
    for (int64_t pass = 0; passes >> pass;) {
        const std::string name = "frame_" + std::to_string(run.frames.size()) + ".rgb";
        const std::string rgb = fileBytes(copy / name);
        run.frames.push_back({pass, std::vector<uint8_t>(rgb.begin(), rgb.end())});
    }
    return run;
}

ScriptedKey key(PlatformKey k, bool shift = false, double delay = 0.0) { return {k, shift, delay}; }

TEST(PreviewSession, SeekingShowsTheFrameTheCaptureWritesForThatTime) {
    // From a start at a time without a scene, through each scene, a fade and the other
    // scene-less moments, each key landing where the one before left.
    const SessionRun run = runSession(
        {"--at", "10", "--paused"},
        {{1, {key(KEY_LEFT)}, nullptr},
         {2, {key(KEY_RIGHT, true)}, nullptr},
         {3, {key(KEY_PAGE_DOWN)}, nullptr},
         {4, {key(KEY_RIGHT, true)}, nullptr},
         {5, {key(KEY_RIGHT, true), key(KEY_RIGHT, true), key(KEY_RIGHT, true)}, nullptr},
         {8, {key(KEY_ESCAPE)}, nullptr}});
    ASSERT_EQ(run.status, 0) << run.err;
    // 10 s, 9 s (scene 1 fading out), 19 s, 30 s, 40 s, 50 s, 60 s, 70 s.
    const std::vector<int64_t> passes = {600, 540, 1140, 1800, 2400, 3000, 3600, 4200};
    ASSERT_EQ(run.frames.size(), passes.size()) << run.err;
    for (size_t i = 0; i < passes.size(); ++i) {
        EXPECT_EQ(run.frames[i].pass, passes[i]);
        if (passes[i] == 3000) continue;  // nothing there that the others do not cover
        EXPECT_TRUE(run.frames[i].rgb == captureFrame(passes[i])) << "pass " << passes[i];
    }
    EXPECT_NE(run.err.find("preview: seek to 9.000 s\n"), std::string::npos) << run.err;
}

TEST(PreviewSession, PlayAfterPauseGoesOnFromThePassShownAndAStepIsOnePass) {
    // Paused for five seconds of wall time between the keys; playing, a pass every 1/60 s.
    const SessionRun run =
        runSession({"--at", "20"}, {{3, {key(KEY_SPACE), key(KEY_PERIOD, false, 5.0)}, nullptr},
                                    {4, {key(KEY_PERIOD)}, nullptr},
                                    {5, {key(KEY_SPACE, false, 5.0)}, nullptr},
                                    {7, {key(KEY_ESCAPE)}, nullptr}});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<int64_t> passes;
    for (const Shown& s : run.frames) passes.push_back(s.pass);
    EXPECT_EQ(passes, (std::vector<int64_t>{1200, 1201, 1202, 1203, 1204, 1205, 1206}));
    for (const char* line : {"paused at 20.033 s", "step to 20.050 s", "playing at 20.067 s"})
        EXPECT_NE(run.err.find(line), std::string::npos) << line << " in\n" << run.err;
}

void copyOver(const fs::path& from, const fs::path& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

TEST(PreviewSession, ChangedFilesShowInTheNextFrameAndBrokenOnesKeepTheLastGood) {
    const auto texture = [](const fs::path& dir) {
        // Saved as editors do: a new file renamed over the old one.
        copyOver(dir / sceneTexturePath(&R::textureHr), dir / "saving.tmp");
        fs::rename(dir / "saving.tmp", dir / sceneTexturePath(&R::texture1));
    };
    const auto model = [](const fs::path& dir) {
        copyOver(dir / sceneModelPath(&R::list5), dir / sceneModelPath(&R::list3));
    };
    const auto shader = [](const fs::path& dir) {
        std::ofstream(dir / sceneFiles.fragmentShader)
            << "void main() { gl_FragColor = vec4(1.0, 0.0, 0.0, 1.0); }\n";
    };
    const auto brokenShader = [](const fs::path& dir) {
        std::ofstream(dir / sceneFiles.fragmentShader) << "void main() { not glsl }\n";
    };
    const auto removedModel = [](const fs::path& dir) {
        fs::remove(dir / sceneModelPath(&R::list3c));
    };
    const struct {
        void (*edit)(const fs::path& dir);
        bool changes;
    } edits[] = {{texture, true},
                 {model, true},
                 {shader, true},
                 {brokenShader, false},
                 {removedModel, false}};
    std::vector<ScriptStep> steps;
    for (int i = 0; i < 5; ++i) steps.push_back({i + 1, {}, edits[i].edit});
    steps.push_back({6, {key(KEY_ESCAPE)}, nullptr});
    const SessionRun run = runSession({"--at", "20", "--paused"}, steps);
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.frames.size(), 6u) << run.err;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(run.frames[i + 1].pass, 1200);
        EXPECT_EQ(run.frames[i + 1].rgb != run.frames[i].rgb, edits[i].changes) << "edit " << i;
    }
    // The compiler's log for the broken text, then one line each for what stays.
    EXPECT_NE(run.out.find("error"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("does not compile or link; keeping the last good program"),
              std::string::npos)
        << run.err;
    const std::string removed = std::string("demo: ") + sceneModelPath(&R::list3c) + ": ";
    size_t named = 0;
    for (const std::string& line : lines(run.err)) named += line.rfind(removed, 0) == 0 ? 1 : 0;
    EXPECT_EQ(named, 1u) << run.err;
}

// As `rm -r` and a fresh pack in its place, the new one with a texture changed; the run's own
// records so far (frames, passes, output) are carried over into the new directory.
void removeAndRemake(const fs::path& dir) {
    std::vector<std::pair<fs::path, std::string>> records;
    for (const auto& entry : fs::directory_iterator(dir))
        if (!fs::exists(fs::path(FIXTURE_ASSETS) / entry.path().filename()))
            records.push_back({entry.path().filename(), fileBytes(entry.path())});
    std::fflush(nullptr);
    fs::remove_all(dir);
    fs::copy(FIXTURE_ASSETS, dir);
    for (const auto& [name, bytes] : records) std::ofstream(dir / name) << bytes;
    dup2(open((dir / "stdout.txt").c_str(), O_WRONLY | O_APPEND), STDOUT_FILENO);
    dup2(open((dir / "stderr.txt").c_str(), O_WRONLY | O_APPEND), STDERR_FILENO);
    copyOver(dir / sceneTexturePath(&R::textureHr), dir / sceneTexturePath(&R::texture1));
}

TEST(PreviewSession, ARemovedDirectoryMadeAgainIsWatchedAndReadAgain) {
    const SessionRun run = runSession({"--at", "20", "--paused"},
                                      {{1, {}, removeAndRemake}, {2, {key(KEY_ESCAPE)}, nullptr}});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_GE(run.frames.size(), 2u) << run.err;
    EXPECT_EQ(run.frames[1].pass, 1200);
    EXPECT_NE(run.frames[1].rgb, run.frames[0].rgb) << "the new directory's texture shows";
    size_t said = 0;
    for (const std::string& line : lines(run.err))
        said += line.find("the directory was removed") != std::string::npos ||
                line.find("is back at 20.000 s; every file is read again") != std::string::npos;
    EXPECT_EQ(said, 2u) << run.err;
}

}  // namespace
