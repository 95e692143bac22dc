# The two commands of the README, and a few more for developers.
#   make run    install what is missing, build, generate the assets, play the presentation
#   make test   install, build (plain and sanitized), run every test
#   make windows  cross-build demo.exe and demo-win64.zip for Windows into build-win
#   make test-windows  the Windows build's suites under Wine (part of make test)

BUILD      ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD  ?= build-win
JOBS       ?= $(shell nproc)
XVFB        = xvfb-run -a -s "-screen 0 1280x720x24"

.PHONY: all deps build build-asan assets run test test-asan test-release windows test-windows \
        fuzz bench video clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

build-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DDEMO_SANITIZE=ON -DDEMO_LONG_TESTS=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS) -- --no-print-directory

assets: build
	@mkdir -p $(BUILD)/assets
	@if [ -x $(BUILD)/tools/assetgen/assetgen ]; then $(BUILD)/tools/assetgen/assetgen $(BUILD)/assets; fi

# The Windows build: its libraries cross-built from Debian's sources into $(WIN_BUILD)/deps (once),
# the asset pack from the Linux build's generator, which is all of that build it needs.
windows: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target assetpack -- --no-print-directory
	@JOBS=$(JOBS) scripts/cross-deps.sh $(WIN_BUILD)/deps
	@cmake -S . -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DDEMO_WINDOWS_PREFIX=$(CURDIR)/$(WIN_BUILD)/deps \
	  -DDEMO_WINDOWS_ASSETS=$(CURDIR)/$(BUILD)/assets >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS) --target demo capture windowszip -- --no-print-directory

run: assets
	@scripts/play.sh $(BUILD)

# The sanitized suite first, then the Windows one under Wine, then the plain one, so that the last
# lines are CTest's summary of it.
test: test-asan test-windows test-release

test-asan: build-asan
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 $(XVFB) ctest --output-on-failure -j $(JOBS)

# The real-time runs of the program spend 80 s each whatever the load, so they run side by side.
test-release: build
	@cd $(BUILD) && $(XVFB) ctest --output-on-failure -j 12

# The Windows suites under Wine; one of them compares warnings with the Linux build's capture tool.
# Most of their time is Wine starting each test process, which waits more than it computes.
test-windows: build windows
	@cmake --build $(WIN_BUILD) -j $(JOBS) -- --no-print-directory
	@cd $(WIN_BUILD) && $(XVFB) ctest --output-on-failure -j 4

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WIN_BUILD)

# Fuzz the OBJ and MTL readers with libFuzzer (clang); FUZZ_SECONDS bounds the run.
fuzz: deps
	@scripts/fuzz.sh

bench: build
	@scripts/bench.sh $(BUILD)

# The whole presentation rendered offline to build/demo.mp4 with its soundtrack.
video: assets
	@scripts/video.sh $(BUILD)
