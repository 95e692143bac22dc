#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/soundtrack.h"
#include "scenes/scene_resources.h"
#include "support/child_run.h"
#include "support/text.h"

namespace {

const std::string SOUNDTRACK = std::string(DEMO_TEST_DATA) + "/assets/" + sceneFiles.soundtrack;

TEST(Soundtrack, AudioBackEndChatterNeverReachesStderr) {
    // ALSA without a sound card prints a screenful while SDL probes it; with one, nothing at all.
    const std::string err = printedInChild([] {
        setenv("SDL_AUDIODRIVER", "alsa", 1);
        prepareSoundtrack(SOUNDTRACK.c_str());
    });
    const std::vector<std::string> got = lines(err);
    ASSERT_LE(got.size(), 1u) << err;
    const std::string named = "demo: " + SOUNDTRACK + ": ";
    if (!got.empty()) { EXPECT_EQ(got[0].rfind(named, 0), 0u) << err; }
}

TEST(Soundtrack, PlayingLeavesCtrlCToStopTheProgram) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string mp3 = SOUNDTRACK;
    ASSERT_EQ(prepareSoundtrack(mp3.c_str()), 0);
    playSoundtrack();
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action = {};
        sigaction(signal, nullptr, &action);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << signal;
    }
}

}  // namespace
