#!/usr/bin/env python3
"""The browser build's figures on this machine: the sizes of the page's files, the time from a
page load over loopback to its first frame, and frames a second in headless Chromium (WebGL
through SwiftShader) against the Linux build's demo under Xvfb, both from their once-a-second
report lines while playing from 20 s.
  bench/web_page.py [PAGE_DIR] [LINUX_BUILD]     (defaults: build-web, build)
PAGE_DIR is what `make web` writes; LINUX_BUILD a build with its generated assets (make assets)."""

import os
import re
import subprocess
import sys
import time

sys.dont_write_bytecode = True
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
import browser  # noqa: E402

# The report line's pattern, as the test suites read it.
with open(os.path.join(ROOT, "tests", "support", "report_line.ere"), encoding="ascii") as pattern:
    REPORT = re.compile(pattern.read().strip())
LOADS = 5            # page loads for the time to the first frame
PLAY_SECONDS = 10    # of playing, for frames a second

# The moment of the page's first draw call, in milliseconds from the start of its navigation.
FIRST_DRAW = """(() => {
  window.demoFirstDraw = null;
  for (const name of ["drawArrays", "drawElements"]) {
    const draw = WebGLRenderingContext.prototype[name];
    WebGLRenderingContext.prototype[name] = function (...a) {
      if (window.demoFirstDraw === null) window.demoFirstDraw = performance.now();
      return draw.apply(this, a);
    };
  }
})();"""


def frames_a_second(lines):
    """The mean rate over the report lines but the first, which covers the start."""
    times = [float(line.split()[0]) for line in lines if REPORT.match(line)][1:]
    return (1000.0 * len(times) / sum(times), len(times)) if times else (0.0, 0)


def page_figures(page):
    with browser.Session(page, 1280, 720) as session:
        session.add_init_script(FIRST_DRAW)
        firsts = []
        for _ in range(LOADS):
            session.open("index.html?at=20&paused")
            first = session.wait_for(lambda: session.script("return window.demoFirstDraw;"), 30)
            if first is None:
                sys.exit("bench: the page drew nothing within 30 s")
            firsts.append(first / 1000.0)
        session.open("index.html?at=20")
        session.wait_for(lambda: session.script("return window.demoFirstDraw;"), 30)
        session.click(640, 360)
        session.console()
        time.sleep(PLAY_SECONDS)
        return sorted(firsts), frames_a_second(session.console())


def linux_figures(build):
    demo = os.path.abspath(os.path.join(build, "demo"))
    assets = os.path.join(build, "assets")
    if not os.access(demo, os.X_OK) or not os.path.isdir(assets):
        return None
    # demo plays from the start; its first 20 s are as heavy as the rest for this purpose. A
    # session of its own: with a terminal, demo writes its report there and not into the pipe.
    run = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1280x720x24", "timeout", "-s", "INT",
                          str(PLAY_SECONDS + 2), demo], cwd=assets, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True,
                         start_new_session=True,
                         env={**os.environ, "SDL_AUDIODRIVER": "dummy"})
    return frames_a_second(run.stderr.splitlines())


def main():
    page = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-web")
    build = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "build")
    sizes = {name: os.path.getsize(os.path.join(page, name))
             for name in ("index.html", "demo.js", "demo.wasm", "demo.data", "demo-web.zip")
             if os.path.exists(os.path.join(page, name))}
    for name, size in sizes.items():
        print("%-14s %9d bytes" % (name, size))
    code = sizes.get("demo.js", 0) + sizes.get("demo.wasm", 0)
    print("demo.js + demo.wasm: %d KB (target 600 KB)" % (code // 1024))
    # Both rates are taken on the same machine one after the other; other work on it lowers both.
    print("load average before: %.1f, %d cores" % (os.getloadavg()[0], os.cpu_count()))
    firsts, (fps, reports) = page_figures(page)
    print("first frame after the page load: median %.2f s, %.2f to %.2f s over %d loads "
          "(target 3 s)" % (firsts[len(firsts) // 2], firsts[0], firsts[-1], len(firsts)))
    print("headless Chromium, 1280x720: %.1f frames a second (%d report lines)" % (fps, reports))
    linux = linux_figures(build)
    if linux is None:
        print("Linux build: no %s/demo with its assets; make assets builds them" % build)
    else:
        print("Linux demo under Xvfb, 1280x720: %.1f frames a second (%d report lines)" % linux)


if __name__ == "__main__":
    main()
