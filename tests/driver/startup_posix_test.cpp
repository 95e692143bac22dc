#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/startup.h"
#include "platform/console.h"
#include "platform/glfw_window.h"
#include "platform/platform.h"
#include "scenes/scene_resources.h"
#include "support/child_run.h"
#include "support/text.h"

namespace fs = std::filesystem;

namespace {

// The run's clock: a pass takes a quarter of a second, so the whole timeline is 320 passes and
// every scene, fade and report is reached in a moment.
constexpr double PASS_SECONDS = 0.25;

struct QuickClock {
    double seconds;
    Platform window;  // the window's own services
};
QuickClock quickClock = {};

double quickNow() { return quickClock.seconds; }
void quickSleep(double seconds) { quickClock.seconds += seconds; }
void quickSwap() {
    quickClock.window.swapAndPoll();
    quickClock.seconds += PASS_SECONDS;
}

int useQuickClock() {
    quickClock = QuickClock{0.0, platform};
    platform.now = quickNow;
    platform.sleep = quickSleep;
    platform.swapAndPoll = quickSwap;
    return 0;
}

// The real start-up and frame loop in a child, from `dir`, on the quick clock, in a small hidden
// window; the child leaves by _exit, as the program's resources live until the process ends.
ChildRun runIn(const std::string& dir) {
    return runInChild(
        [] {
            consoleDevice.path = "/nonexistent/console";
            return runDemoIn(WindowRequest{64, 36, false, false},
                             StartupHooks{useQuickClock, nullptr});
        },
        {dir, {"SDL_AUDIODRIVER=dummy"}});
}

// Each asset broken in a copy of the fixture set: the run still plays to its end by itself with
// status 0, and says which file is bad in one line.
TEST(Startup, EachBrokenAssetIsNamedInOneLineAndTheRunEndsByItselfWithZero) {
    using R = SceneResources;
    const auto remove = [](const fs::path& f) { fs::remove(f); };
    const struct {
        const char* name;
        const char* file;  // the file made bad; null for the intact set
        void (*breakIt)(const fs::path& file);
    } cases[] = {
        {"intact", nullptr, nullptr},
        {"missing texture", sceneTexturePath(&R::textureOr), remove},
        {"truncated PNG", sceneTexturePath(&R::textureN),
         [](const fs::path& f) { fs::resize_file(f, 300); }},
        {"missing model", sceneModelPath(&R::list3c), remove},
        // Any binary file will do: one of the textures.
        {"binary model", sceneModelPath(&R::list2c),
         [](const fs::path& f) {
             fs::copy_file(f.parent_path() / sceneTexturePath(&R::texture1n), f,
                           fs::copy_options::overwrite_existing);
         }},
        // The fixture models name their libraries in lower case.
        {"missing material library", "4b.mtl", remove},
        {"missing shader", sceneFiles.fragmentShader, remove},
        {"missing soundtrack", sceneFiles.soundtrack, remove},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AssetCopy copy;
        if (c.file) c.breakIt(copy / c.file);
        const ChildRun run = runIn(copy.dir);
        EXPECT_EQ(run.status, 0);
        int reports = 0;
        std::vector<std::string> named;
        for (const std::string& line : lines(run.err)) {
            // The shader builder's own message stands on a line of its own before ours.
            if (isReportLine(line))
                ++reports;
            else if (line != "Error opening shader.")
                named.push_back(line);
        }
        EXPECT_GE(reports, 79);
        EXPECT_LE(reports, 81);
        if (!c.file) {
            EXPECT_TRUE(named.empty()) << run.err;
            continue;
        }
        ASSERT_EQ(named.size(), 1u) << run.err;
        EXPECT_NE(named[0].find(c.file), std::string::npos) << named[0];
    }
}

}  // namespace
