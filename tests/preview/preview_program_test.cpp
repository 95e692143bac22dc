#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "preview_arguments.h"
#include "reference_frames.h"
#include "support/child_run.h"

namespace {

int parse(const std::vector<std::string>& words, PreviewArguments* arguments) {
    CommandLine line("preview", words);
    return parsePreviewArguments(line.argc(), line.argv(), arguments);
}

TEST(PreviewArguments, GoodLinesAreTakenAndBadOnesGiveStatusTwoAndOneLine) {
    PreviewArguments a = {};
    ASSERT_EQ(parse({"--at", "20.5", "--paused", "--size", "640x360", "--fullscreen"}, &a), 0);
    EXPECT_EQ(a.startPass, 1230);
    EXPECT_TRUE(a.paused && a.fullscreen && !a.help);
    EXPECT_EQ(a.width * 10000 + a.height, 640 * 10000 + 360);
    ASSERT_EQ(parse({"--at", "0"}, &a), 0);
    EXPECT_EQ(a.startPass, 1) << "the first pass is the earliest there is";
    ASSERT_EQ(parse({"--help", "--bogus"}, &a), 0);
    EXPECT_TRUE(a.help);
    const std::vector<std::vector<std::string>> bad = {
        {"--at", "80.001"}, {"--at", "-1"}, {"--at"}, {"--size", "0x720"},
        {"--size", "big"},  {"--bogus"},    {"20"}};
    for (const auto& words : bad) {
        int status = 0;
        const std::string err = stderrOf([&] { status = parse(words, &a); });
        EXPECT_EQ(status, 2) << words[0];
        EXPECT_EQ(lines(err).size(), 1u) << err;
        EXPECT_EQ(err.rfind("preview: " + words[0], 0), 0u) << err;
    }
}

TEST(PreviewProgram, WithoutADisplayOneLineAndStatusOne) {
    const ChildRun run =
        runProgram({PREVIEW_EXECUTABLE}, {FIXTURE_ASSETS, {"DISPLAY", "WAYLAND_DISPLAY"}});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
}

// The real preview, fullscreen on an X server of its own the size of the tests' frames, so that
// no other test's window takes the keys or covers the screen; keys pressed through XTEST. Without
// -noreset the server starts over whenever its last client leaves, and a program connecting just
// after the preview is killed finds no display.
class PreviewUnderX : public ::testing::Test {
protected:
    std::unique_ptr<Child> server;
    std::unique_ptr<Child> preview;
    std::string display;
    std::string outerDisplay;

    void SetUp() override {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);  // the server inherits the writing end
        server = std::make_unique<Child>(
            std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                     "320x180x24", "-nolisten", "tcp", "-noreset"},
            ChildOptions{"/", {}, {}, 120});
        close(ready[1]);
        // The server writes its display number and a line end once it takes connections.
        std::string number;
        char c = 0;
        while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
        close(ready[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        display = ":" + number;
        if (const char* outer = std::getenv("DISPLAY")) outerDisplay = outer;
        setenv("DISPLAY", display.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override {
        if (preview) preview->finish(SIGKILL);
        if (server) server->finish(SIGTERM);
        // The other tests of this process open their windows on the display they were given.
        if (outerDisplay.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", outerDisplay.c_str(), 1);
    }
    std::string title() {
        const std::string name =
            runProgram({"xdotool", "search", "--name", "^preview ", "getwindowname"}).out;
        return name.empty() ? name : name.substr(0, name.size() - 1);
    }
    // The title once `wanted` holds of it, within ten seconds; the last one seen otherwise.
    template <typename Wanted>
    std::string titleWhen(Wanted wanted) {
        std::string seen;
        for (int i = 0; i < 200 && !wanted(seen = title()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return seen;
    }
    std::string titleOnceItIs(const std::string& expected) {
        return titleWhen([&](const std::string& t) { return t == expected; });
    }
    // The screen as ffmpeg grabs it, with the pointer drawn in or not.
    std::string screen(bool withPointer) {
        return runProgram({"ffmpeg", "-loglevel", "error", "-f", "x11grab", "-draw_mouse",
                           withPointer ? "1" : "0", "-video_size", "320x180", "-i", display,
                           "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"})
            .out;
    }
    // 1 when the pointer shows, 0 when not: the screen grabbed with it drawn in differs from the
    // screen without it, grabbed just before and just after; -1 when those two differ.
    int pointerShown() {
        const std::string before = screen(false), with = screen(true), after = screen(false);
        return before != after ? -1 : with != before ? 1 : 0;
    }
    // pointerShown() once it is `wanted` or after `looks` looks a fifth of a second apart; the
    // mouse moves by a pixel before each look when `moving`.
    int pointerBecomes(int wanted, bool moving, int looks = 50) {
        int shown = -1;
        for (int i = 0; i < looks && shown != wanted; ++i) {
            if (moving) runProgram({"xdotool", "mousemove", std::to_string(100 + i % 2), "60"});
            shown = pointerShown();
            if (shown != wanted) std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return shown;
    }
    // The preview fullscreen, paused at 20 s, once its title says so.
    void startPausedAtTwenty() {
        preview = std::make_unique<Child>(
            std::vector<std::string>{PREVIEW_EXECUTABLE, "--at", "20", "--paused", "--fullscreen"},
            ChildOptions{FIXTURE_ASSETS, {}, {}, 120});
        ASSERT_EQ(titleOnceItIs("preview  20.000 s  scene 2  paused"),
                  "preview  20.000 s  scene 2  paused")
            << preview->outputSoFar();
    }
    // Held for a tenth of a second, as a quick hand does.
    void press(const std::string& keys) {
        runProgram({"sh", "-c", "xdotool keydown " + keys + "; sleep 0.1; xdotool keyup " + keys});
    }
};

TEST_F(PreviewUnderX, ShowsTheCapturedFrameAndRealKeysPauseSeekAndQuit) {
    startPausedAtTwenty();
    if (HasFatalFailure()) return;
    const std::string shot =
        runProgram({"ffmpeg", "-loglevel", "error", "-f", "x11grab", "-draw_mouse", "0",
                    "-video_size", "320x180", "-i", display, "-frames:v", "1", "-f", "rawvideo",
                    "-pix_fmt", "rgb24", "-"})
            .out;
    const std::vector<uint8_t> expected = captureFrame(1200);
    EXPECT_TRUE(std::vector<uint8_t>(shot.begin(), shot.end()) == expected && !expected.empty());

    press("Right");
    EXPECT_EQ(titleOnceItIs("preview  21.000 s  scene 2  paused"),
              "preview  21.000 s  scene 2  paused");
    press("Shift_L Left");
    EXPECT_EQ(titleOnceItIs("preview  11.000 s  scene 2  paused"),
              "preview  11.000 s  scene 2  paused");
    press("space");
    const std::string playing = titleWhen([](const std::string& t) {
        return t.find("paused") == std::string::npos && t > "preview  11.1";
    });
    EXPECT_EQ(playing.find("paused"), std::string::npos) << playing;
    EXPECT_GT(playing, "preview  11.1") << playing;

    press("Escape");
    EXPECT_TRUE(preview->endsWithin(5.0));
    const ChildRun run = preview->finish(SIGKILL);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

TEST_F(PreviewUnderX, FullscreenPointerShowsOnlyWhileTheMouseMovesAndDemoShowsNone) {
    startPausedAtTwenty();
    if (HasFatalFailure()) return;
    EXPECT_EQ(pointerShown(), 0) << "before the mouse moves";
    EXPECT_EQ(pointerBecomes(1, true), 1) << "while the mouse moves";
    EXPECT_EQ(pointerBecomes(0, false), 0) << "once the mouse has stopped";
    preview->finish(SIGKILL);

    // Without its files the demo draws a still picture between its fades, so that the screen
    // with and without the pointer can be compared.
    const std::filesystem::path empty =
        std::filesystem::temp_directory_path() / ("pointer_test_" + std::to_string(getpid()));
    std::filesystem::create_directory(empty);
    preview = std::make_unique<Child>(std::vector<std::string>{DEMO_EXECUTABLE},
                                      ChildOptions{empty.string(), {}, {}, 120});
    const auto demoWindow = [] {
        return runProgram({"xdotool", "search", "--name", "^demo$"}).out;
    };
    for (int i = 0; i < 200 && demoWindow().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_FALSE(demoWindow().empty()) << preview->outputSoFar();
    EXPECT_EQ(pointerBecomes(1, true, 5), 0) << "demo shows the pointer";
    preview->finish(SIGKILL);
    std::filesystem::remove(empty);
}

}  // namespace
