// MCI without a sound device: the test runs with no PulseAudio server to be found and Wine's ALSA
// driver off, as on a machine without sound. The music reaching a device is checked by the real
// run of demo.exe against a PulseAudio null sink.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/soundtrack.h"
#include "scenes/scene_resources.h"
#include "support/text.h"

namespace {

const std::string SOUNDTRACK = std::string(DEMO_TEST_DATA) + "/assets/" + sceneFiles.soundtrack;

// Every cue after the preparation, in the order a tool gives them; none may print or fail.
void cueEverything() {
    playSoundtrack();
    playSoundtrackFrom(2.5);
    pauseSoundtrack();
    playSoundtrackFrom(1e6);
}

TEST(Soundtrack, WithoutADeviceOneLineSaysSoAndEveryCueIsSilent) {
    const std::vector<std::string> err = lines(stderrOf([] {
        EXPECT_EQ(prepareSoundtrack(SOUNDTRACK.c_str()), 1);
        cueEverything();
        EXPECT_EQ(reloadSoundtrack(SOUNDTRACK.c_str()), ReloadResult::SILENT);
    }));
    ASSERT_EQ(err.size(), 1u);
    EXPECT_EQ(err[0].rfind("demo: " + SOUNDTRACK + ": cannot open the audio device (", 0), 0u)
        << err[0];
}

TEST(Soundtrack, MissingFileIsNamedOnceAndPlayingThenDoesNothing) {
    const std::vector<std::string> err = lines(stderrOf([] {
        EXPECT_EQ(prepareSoundtrack("Z:\\nonexistent\\soundtrack.mp3"), 1);
        cueEverything();
    }));
    ASSERT_EQ(err.size(), 1u);
    EXPECT_EQ(err[0].rfind("demo: Z:\\nonexistent\\soundtrack.mp3: ", 0), 0u) << err[0];
}

TEST(Soundtrack, KeptSilentItOpensNothingAndSaysNothing) {
    const std::string err = stderrOf([] {
        keepSoundtrackSilent();
        EXPECT_EQ(prepareSoundtrack(SOUNDTRACK.c_str()), 0);
        cueEverything();
    });
    EXPECT_EQ(err, "");
}

}  // namespace
