"""The browser build in headless Chromium: frames, clock and title, keys, sound, missing files,
the page without WebGL, and the zip. Run by CTest (tests/web/web.cmake), one suite a test:
  web_test.py --page DIR [--missing-page DIR] [--zip FILE] [--capture EXE] SUITE
DIR holds a build of the page with the fixture asset set (index.html, demo.js, demo.wasm,
demo.data); --missing-page one whose pack is --missing-assets, a copy of that set less a few
files; --capture the Linux capture tool, whose frames and warnings the page's must match."""

import argparse
import math
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
FIXTURE_ASSETS = os.path.join(DATA, "assets")
GOLDEN = os.path.join(DATA, "golden")
# The viewport, and so the canvas's pixels: the golden frames' size.
WIDTH, HEIGHT = 320, 180
PAGE_FILES = ["index.html", "demo.js", "demo.wasm", "demo.data"]
# "demo: PATH: WHAT (WHY); CONSEQUENCE", and not the session's "demo: start at 20.000 s".
WARNING_LINE = re.compile(r"^demo: [^ :]+: ")
REPORT_LINE = re.compile(r"^[0-9]+\.[0-9]{6} ms/frame$")
TITLE = re.compile(r"^demo  ([0-9]+\.[0-9]{3}) s  scene ([1-4])(  paused)?$")
# The page throwing, or the program aborting, is never a console line of a working show.
FAILURE = re.compile(r"Uncaught|Aborted\(|RuntimeError|exception thrown", re.I)

args = None

# Records what the page decodes and plays, whatever it names its nodes: every buffer decoded gets
# its length and peak, and everything connected to the speakers also feeds an analyser.
AUDIO_PROBE = """(() => {
  const seen = { decoded: [], analysers: [] };
  const decode = BaseAudioContext.prototype.decodeAudioData;
  BaseAudioContext.prototype.decodeAudioData = function (data, ok, fail) {
    const measured = (b) => {
      let peak = 0;
      for (let c = 0; c < b.numberOfChannels; ++c) {
        const d = b.getChannelData(c);
        for (let i = 0; i < d.length; i += 3) peak = Math.max(peak, Math.abs(d[i]));
      }
      seen.decoded.push({ seconds: b.duration, peak });
      return b;
    };
    const result = decode.call(this, data, ok && ((b) => ok(measured(b))), fail);
    return ok ? result : result.then(measured);
  };
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    if (target instanceof AudioDestinationNode) {
      let a = seen.analysers.find((x) => x.context === this.context);
      if (!a) { a = this.context.createAnalyser(); seen.analysers.push(a); }
      connect.call(this, a);
    }
    return connect.call(this, target, ...rest);
  };
  window.demoAudioProbe = () => ({
    decoded: seen.decoded,
    output: seen.analysers.map((a) => {
      const d = new Float32Array(a.fftSize);
      a.getFloatTimeDomainData(d);
      return { level: d.reduce((m, v) => Math.max(m, Math.abs(v)), 0),
               clock: a.context.currentTime, state: a.context.state };
    }),
  });
})();"""

# With #slow-start in the address, the program's WebAssembly becomes ready only a second and a half
# after it has loaded, as on a slow machine: a click comes while it is not yet ready.
SLOW_START = """(() => {
  if (location.hash !== "#slow-start") return;
  const later = (f) => function (...a) {
    return new Promise((ready) => setTimeout(ready, 1500)).then(() => f.apply(this, a));
  };
  WebAssembly.instantiate = later(WebAssembly.instantiate);
  WebAssembly.instantiateStreaming = later(WebAssembly.instantiateStreaming);
})();"""


def seconds_in_pass(n):
    """A time that lies in pass n at 60 a second, as the page's ?at= takes it (microseconds)."""
    micros = (n * 1000000 + 59) // 60
    return "%d.%06d" % divmod(micros, 1000000)


def golden_frames():
    """(name, pass) of each golden frame; the file lists the capture's frame index, one less."""
    frames = []
    with open(os.path.join(GOLDEN, "frames.txt")) as f:
        for line in f:
            words = line.split()
            if words and not line.startswith("#"):
                frames.append((words[0], int(words[3]) + 1))
    return frames


def compare(shot, reference):
    """(PSNR in dB, mean absolute difference in 1/255) of two RGB images of one size."""
    total = squared = 0
    for a, b in zip(shot, reference):
        d = a - b
        total += abs(d)
        squared += d * d
    mean = total / len(reference)
    mse = squared / len(reference)
    return (math.inf if mse == 0 else 10 * math.log10(255 * 255 / mse)), mean


def close_enough(psnr, mean):
    return psnr >= 40.0 or mean <= 2.0


def title_of(session):
    # The title element's text: document.title folds the double spaces the title is made of.
    return session.script("const t = document.querySelector('title');"
                          "return t ? t.textContent : document.title;")


def title_seconds(title):
    match = TITLE.match(title or "")
    return float(match.group(1)) if match else None


def canvas_shot(session):
    """The canvas as RGB, cut from the viewport; None when it does not fill WIDTH x HEIGHT."""
    rect = session.script("const c = document.querySelector('canvas');"
                          "if (!c) return null; const r = c.getBoundingClientRect();"
                          "return [r.left, r.top, r.width, r.height];")
    width, height, rgb = session.screenshot()
    if rect is None:
        return None, "no canvas"
    left, top, w, h = (int(round(v)) for v in rect)
    if (w, h) != (WIDTH, HEIGHT) or left < 0 or top < 0:
        return None, "the canvas is %dx%d at %d,%d" % (w, h, left, top)
    rows = [rgb[((top + y) * width + left) * 3:((top + y) * width + left + w) * 3]
            for y in range(h)]
    return b"".join(rows), ""


def capture_frame(n):
    """The Linux capture tool's frame for pass n from the fixture set at the page's size, RGB."""
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([args.capture, "--from", seconds_in_pass(n - 1), "--to", seconds_in_pass(n),
                        "--size", "%dx%d" % (WIDTH, HEIGHT), "--png", out],
                       cwd=FIXTURE_ASSETS, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        with open(os.path.join(out, "frame_%06d.png" % (n - 1)), "rb") as f:
            return browser.decode_png(f.read())[2]


def capture_warnings(assets):
    """The warning lines the Linux capture tool prints starting up on `assets`."""
    with tempfile.TemporaryDirectory() as out:
        run = subprocess.run([args.capture, "--to", "0.05", "--size", "64x36", "--png", out],
                             cwd=assets, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                             text=True, timeout=60)
    return [line for line in run.stderr.splitlines() if WARNING_LINE.match(line)]


class PageTest(unittest.TestCase):
    """One browser for the cases of a class, ended after them whatever happened."""
    page_dir = None
    flags = []

    @classmethod
    def setUpClass(cls):
        directory = getattr(args, cls.page_dir or "page")
        if not directory:
            raise unittest.SkipTest("no page given for " + cls.__name__)
        cls.browser = browser.Session(directory, WIDTH, HEIGHT, extra_flags=cls.flags)
        cls.browser.add_init_script(AUDIO_PROBE)
        cls.browser.add_init_script(SLOW_START)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()

    def setUp(self):
        self.browser.console()  # what an earlier case left
        self.lines = []

    def console(self):
        """Every console line since the case began."""
        self.lines.extend(self.browser.console())
        return self.lines

    def assertNoFailure(self):
        failures = [line for line in self.console() if FAILURE.search(line)]
        self.assertEqual(failures, [], "the page failed")

    def open(self, query=""):
        self.browser.open("index.html" + query)

    def wait_for_title(self, wanted, seconds=30.0):
        """The title once wanted(title) holds, within `seconds`; the last one seen otherwise."""
        seen = [None]

        def holds():
            seen[0] = title_of(self.browser)
            return wanted(seen[0])
        self.browser.wait_for(holds, seconds)
        return seen[0]

    def title_becomes(self, expected, seconds=30.0):
        self.assertEqual(self.wait_for_title(lambda t: t == expected, seconds), expected,
                         "console:\n" + "\n".join(self.console()[-20:]))

    def start_show(self, query="", at_once=False):
        """Opens the page and clicks it once the program shows its title, or at once, as an
        eager viewer does; returns the title's time once it plays."""
        self.open(query)
        if not at_once:
            self.wait_for_title(lambda t: title_seconds(t) is not None)
        self.browser.click(WIDTH // 2, HEIGHT // 2)
        title = self.wait_for_title(lambda t: title_seconds(t) is not None and "paused" not in t)
        self.assertIsNotNone(title_seconds(title), "after the click the title is %r" % title)
        return title_seconds(title)

    def assertPlaysOn(self, since):
        """The title's time moves on past `since`, playing."""
        title = self.wait_for_title(
            lambda t: (title_seconds(t) or 0) > since + 1.0 and "paused" not in t, 20)
        self.assertGreater(title_seconds(title) or 0, since + 1.0, "title %r" % title)


class Frames(PageTest):
    """?at=SECONDS&paused shows, without a click, the frame the capture tool writes then."""

    def frame_at(self, n):
        self.open("?at=%s&paused" % seconds_in_pass(n))
        t = n / 60
        title = self.wait_for_title(lambda x: x is not None and x.endswith("  paused") and
                                    abs((title_seconds(x) or -1) - t) < 0.0005)
        self.assertEqual(title_seconds(title), round(t, 3), "title %r" % title)
        return title

    def matches(self, n, reference, limit=close_enough):
        """Screenshots until the frame matches or 10 s pass (the title may come before the
        picture)."""
        best, why = (0.0, 255.0), ""
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            shot, why = canvas_shot(self.browser)
            if shot is not None:
                best = max(best, compare(shot, reference))
                if limit(*best):
                    break
            time.sleep(0.2)
        print("pass %d: PSNR %.1f dB, mean difference %.2f/255" % (n, best[0], best[1]))
        self.assertTrue(limit(*best), "pass %d: %s PSNR %.1f dB, mean difference %.2f/255"
                        % (n, why, best[0], best[1]))

    def test_golden_frames_in_scenes_and_fades(self):
        for name, n in golden_frames():
            with self.subTest(frame=name):
                self.frame_at(n)
                with open(os.path.join(GOLDEN, name + ".png"), "rb") as f:
                    self.matches(n, browser.decode_png(f.read())[2])
        self.assertNoFailure()

    def test_twenty_seconds_as_captured_and_scene_one_between_its_fades(self):
        if not args.capture:
            self.skipTest("no capture tool given")
        self.assertEqual(self.frame_at(1200), "demo  20.000 s  scene 2  paused")
        self.matches(1200, capture_frame(1200), lambda psnr, mean: mean <= 2.0)
        self.frame_at(270)
        self.matches(270, capture_frame(270))


class Playing(PageTest):
    """A click starts the show: the clock, the report lines, the music, and the end."""

    def test_a_click_plays_with_reports_and_music(self):
        start = self.start_show()
        self.assertPlaysOn(start)
        reports = [line for line in self.console() if REPORT_LINE.match(line)]
        self.assertTrue(reports, "no report line in:\n" + "\n".join(self.lines[-20:]))
        sound = self.browser.wait_for(lambda: self.sound_playing(), 10)
        self.assertTrue(sound, "sound: %r" % self.browser.script("return demoAudioProbe();"))
        self.assertNoFailure()

    def test_a_click_before_the_program_is_ready_starts_it_once_it_is(self):
        start = self.start_show("#slow-start", at_once=True)
        self.assertPlaysOn(start)
        self.assertTrue(self.browser.wait_for(lambda: self.sound_playing(), 10), "no sound")
        text = self.browser.script("return document.body.innerText;")
        self.assertNotIn("click", text.lower(), "the call to click stays over the show")
        self.assertNoFailure()

    def sound_playing(self):
        """Decoded, not silent, and the audio clock moving while some output is heard."""
        first = self.browser.script("return demoAudioProbe();")
        time.sleep(0.3)
        then = self.browser.script("return demoAudioProbe();")
        decoded = [d for d in then["decoded"] if d["seconds"] > 1 and d["peak"] > 0.01]
        heard = any(o["state"] == "running" and o["level"] > 0.001 for o in then["output"])
        clocks = [o["clock"] for o in first["output"]], [o["clock"] for o in then["output"]]
        moving = len(clocks[0]) == len(clocks[1]) and any(b > a for a, b in zip(*clocks))
        return bool(decoded) and (heard or moving)

    def test_the_last_frame_stays_with_play_again(self):
        self.start_show("?at=78")
        again = self.browser.wait_for(lambda: self.browser.script(
            "return document.body.innerText.toLowerCase().includes('play again');"), 20)
        self.assertTrue(again, "no 'play again' after the end; title %r" % title_of(self.browser))
        title = title_of(self.browser)
        time.sleep(0.5)
        self.assertEqual(title_of(self.browser), title, "the title moves after the end")
        # Wherever it is: the click asked for fullscreen, which may have moved it.
        where = self.browser.script(
            "const b = [...document.querySelectorAll('button, a, [role=button]')].find("
            "  (e) => /play again/i.test(e.textContent) && e.getClientRects().length);"
            "if (!b) return null; const r = b.getBoundingClientRect();"
            "return [r.left + r.width / 2, r.top + r.height / 2];")
        self.assertIsNotNone(where, "'play again' is no button")
        self.browser.click(int(where[0]), int(where[1]))
        title = self.wait_for_title(lambda t: (title_seconds(t) or 80) < 10 and "paused" not in t)
        self.assertLess(title_seconds(title) or 80, 10, "after 'play again': %r" % title)
        self.assertPlaysOn(title_seconds(title))
        self.assertNoFailure()


class Keys(PageTest):
    """The preview's keys move the title as they move the preview's."""

    def test_keys_seek_step_and_pause(self):
        self.open("?at=20&paused")
        self.title_becomes("demo  20.000 s  scene 2  paused")
        steps = [(("right",), "demo  21.000 s  scene 2  paused"),
                 (("shift", "left"), "demo  11.000 s  scene 2  paused"),
                 (("period",), "demo  11.017 s  scene 2  paused"),
                 (("home",), "demo  0.017 s  scene 1  paused"),
                 (("shift", "right"), "demo  10.017 s  scene 2  paused")]
        for keys, title in steps:
            with self.subTest(keys=keys):
                self.browser.press(*keys)
                self.title_becomes(title, 10)
        self.browser.press("space")
        self.assertPlaysOn(10.017)
        self.browser.press("space")
        title = self.wait_for_title(lambda t: t.endswith("  paused"), 10)
        self.assertTrue(title.endswith("  paused"), "space does not pause: %r" % title)
        time.sleep(0.5)
        self.assertEqual(title_of(self.browser), title, "paused, the title moves")
        self.assertNoFailure()


class MissingFiles(PageTest):
    """A pack without a model and a texture: one line names each, as on Linux, and the show
    plays on."""
    page_dir = "missing_page"

    def test_each_missing_file_named_once_and_the_show_goes_on(self):
        if not args.missing_assets:
            self.skipTest("no --missing-assets given")
        left_out = sorted(set(os.listdir(FIXTURE_ASSETS)) - set(os.listdir(args.missing_assets)))
        self.assertTrue(left_out, "nothing is missing from " + args.missing_assets)
        start = self.start_show()
        self.assertPlaysOn(start)
        warnings = [line for line in self.console() if WARNING_LINE.match(line)]
        for name in left_out:
            named = [line for line in warnings if line.startswith("demo: %s: " % name)]
            self.assertEqual(len(named), 1, "%s in:\n%s" % (name, "\n".join(warnings)))
        if args.capture:
            self.assertEqual(sorted(set(warnings)), sorted(capture_warnings(args.missing_assets)))
        shown = self.browser.script("return document.body.innerText;").splitlines()
        shown = [line.strip() for line in shown if WARNING_LINE.match(line.strip())]
        self.assertTrue(shown, "no warning on the page")
        for line in shown:
            self.assertIn(line, warnings)
        self.assertNoFailure()


class NoWebGL(PageTest):
    """A browser without WebGL gets a sentence that says so, not a blank page."""
    flags = ["--disable-3d-apis"]

    def test_one_sentence_names_webgl(self):
        self.open()
        text = self.browser.wait_for(lambda: self.browser.script(
            "return document.body.innerText.trim();"), 20)
        self.assertIn("WebGL", text or "")
        self.assertLessEqual(len((text or "").splitlines()), 2, text)


class Zip(unittest.TestCase):
    def test_the_zip_holds_the_four_files_of_the_page(self):
        if not args.zip:
            self.skipTest("no zip given")
        with zipfile.ZipFile(args.zip) as z:
            self.assertEqual(sorted(os.path.basename(n) for n in z.namelist()), sorted(PAGE_FILES))
            self.assertIsNone(z.testzip())
            for info in z.infolist():
                with open(os.path.join(args.page, os.path.basename(info.filename)), "rb") as f:
                    self.assertEqual(z.read(info), f.read(), info.filename)


def end_on_signal(signum, frame):
    # CTest's timeout and ^C: unwind, so that every browser, driver and server is ended.
    raise SystemExit(128 + signum)


def main():
    global args
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True)
    parser.add_argument("--missing-page")
    parser.add_argument("--missing-assets")
    parser.add_argument("--zip")
    parser.add_argument("--capture")
    parser.add_argument("suites", nargs="*")
    args, rest = parser.parse_known_args()
    for name in PAGE_FILES:
        if not os.path.isfile(os.path.join(args.page, name)):
            sys.exit("web_test: %s: no %s (the browser build did not run)" % (args.page, name))
    signal.signal(signal.SIGTERM, end_on_signal)
    signal.signal(signal.SIGINT, end_on_signal)
    unittest.main(argv=[sys.argv[0], "-v"] + args.suites + rest)


if __name__ == "__main__":
    main()
