#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "driver/startup.h"
#include "platform/console.h"
#include "platform/glfw_window.h"
#include "platform/platform.h"
#include "scenes/scene_resources.h"
#include "support/text.h"

namespace fs = std::filesystem;

namespace {

const fs::path ASSETS = fs::path(DEMO_TEST_DATA) / "assets";

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

struct ProgramRun {
    int status;
    std::string out;
    std::vector<std::string> errors;  // stderr without the once-a-second reports
    int reports;
};

// The real start-up and frame loop in a child, from `dir`, on the quick clock, in a small hidden
// window; the child leaves by _exit, as the program's resources live until the process ends.
ProgramRun runIn(const fs::path& dir) {
    const fs::path out = dir / "stdout.txt";
    const fs::path err = dir / "stderr.txt";
    const pid_t child = fork();
    if (child == 0) {
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        if (chdir(dir.c_str()) != 0) _exit(99);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        consoleDevice.path = "/nonexistent/console";
        const int status =
            runDemoIn(WindowRequest{64, 36, false, false}, StartupHooks{useQuickClock, nullptr});
        std::fflush(nullptr);
        _exit(status);
    }
    int wait = 0;
    waitpid(child, &wait, 0);
    ProgramRun run = {
        WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait), fileBytes(out), {}, 0};
    const std::regex report("^[0-9]+\\.[0-9]{6} ms/frame$");
    for (const std::string& line : lines(fileBytes(err))) {
        if (std::regex_match(line, report))
            ++run.reports;
        else
            run.errors.push_back(line);
    }
    return run;
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
    const fs::path dir = fs::temp_directory_path() / ("startup_test_" + std::to_string(getpid()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir);
        fs::copy(ASSETS, dir);
        if (c.file) c.breakIt(dir / c.file);
        const ProgramRun run = runIn(dir);
        EXPECT_EQ(run.status, 0);
        EXPECT_GE(run.reports, 79);
        EXPECT_LE(run.reports, 81);
        std::vector<std::string> named;
        for (const std::string& line : run.errors) {
            // The shader builder's own message stands on a line of its own before ours.
            if (line != "Error opening shader.") named.push_back(line);
        }
        if (!c.file) {
            EXPECT_TRUE(named.empty()) << fileBytes(dir / "stderr.txt");
            continue;
        }
        ASSERT_EQ(named.size(), 1u) << fileBytes(dir / "stderr.txt");
        EXPECT_NE(named[0].find(c.file), std::string::npos) << named[0];
    }
    fs::remove_all(dir);
}

}  // namespace
