# The two commands of the README, and a few more for developers.
#   make run    install what playing needs, build, generate the assets, play the presentation
#   make test   install what the tests need too, build (plain and sanitized), run every test
#   make windows       cross-build build-win/demo.exe and build-win/demo-win64.zip for Windows
#   make test-windows  the Windows build's suites under Wine (part of make test)
#   make web           build-web/: the page, demo.js, demo.wasm, demo.data and demo-web.zip for a
#                      browser; ASSETS=DIR packs another asset directory than the generated one

BUILD      ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD  ?= build-win
WEB_BUILD  ?= build-web
ASSETS     ?=
JOBS       ?= $(shell nproc)
# The plain build for playing leaves out the suites and their libraries, and does not stop at a
# warning that a newer compiler than ours adds; the developers' targets below turn both on.
TESTING    ?= OFF
WERROR     ?= OFF
WINDOWS    ?= OFF
WEB        ?= OFF
# `$(call configure,DIR,OPTIONS)`: CMake's configure of a build directory with the developers'
# switches above and the directory's own options; quiet unless it fails.
configure = cmake -S . -B $(1) -DBUILD_TESTING=$(TESTING) -DDEMO_WERROR=$(WERROR) $(2) >/dev/null
FORMATTED   = $(shell find src tools tests bench fuzz -path tests/data -prune -o \
                -type f \( -name '*.cpp' -o -name '*.h' \) -print | sort)

.PHONY: all deps configure build build-asan assets run test test-asan test-release windows \
        test-windows fuzz bench video master format format-check clean

all: build

test test-asan test-release test-windows build-asan fuzz bench format format-check: TESTING = ON
test test-asan test-release test-windows fuzz bench: WERROR = ON
windows test-windows: WINDOWS = ON
web: WEB = ON

deps:
	@scripts/install-deps.sh $(if $(filter ON,$(TESTING)),--test) \
	  $(if $(filter ON,$(WINDOWS)),--windows) $(if $(filter ON,$(WEB)),--web)

# The Linux build's configure, which building it and the Windows build's asset pack share.
configure: deps
	@$(call configure,$(BUILD),-DCMAKE_BUILD_TYPE=Release)

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

build-asan: deps
	@$(call configure,$(ASAN_BUILD),-DCMAKE_BUILD_TYPE=Debug -DDEMO_SANITIZE=ON -DDEMO_LONG_TESTS=OFF)
	@cmake --build $(ASAN_BUILD) -j $(JOBS) -- --no-print-directory

assets: build
	@mkdir -p $(BUILD)/assets
	@if [ -x $(BUILD)/tools/assetgen/assetgen ]; then $(BUILD)/tools/assetgen/assetgen $(BUILD)/assets; fi

run: assets
	@scripts/play.sh $(BUILD)

# The Windows build: its libraries cross-built from Debian's sources into $(WIN_BUILD)/deps (once),
# the asset pack from the Linux build's generator, which is all of that build it needs.
windows: configure
	@cmake --build $(BUILD) -j $(JOBS) --target assetpack -- --no-print-directory
	@JOBS=$(JOBS) scripts/cross-deps.sh $(WIN_BUILD)/deps
	@$(call configure,$(WIN_BUILD),-DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DDEMO_WINDOWS_PREFIX=$(CURDIR)/$(WIN_BUILD)/deps -DDEMO_WINDOWS_ASSETS=$(CURDIR)/$(BUILD)/assets)
	@cmake --build $(WIN_BUILD) -j $(JOBS) --target demo capture windowszip -- --no-print-directory

# The browser build: its libraries compiled with emcc from Debian's sources into $(WEB_BUILD)/deps
# (once), the asset pack from the Linux build's generator unless ASSETS names a directory.
web: deps
	@if [ -z "$(ASSETS)" ]; then \
	  $(call configure,$(BUILD),-DCMAKE_BUILD_TYPE=Release) && \
	  cmake --build $(BUILD) -j $(JOBS) --target assetpack -- --no-print-directory; fi
	@JOBS=$(JOBS) WERROR=$(WERROR) scripts/web-build.sh $(WEB_BUILD) $(or $(ASSETS),$(BUILD)/assets)

# The sanitized suite first, then the Windows one under Wine, then the plain one, so that the last
# lines are CTest's summary of it. Every test process starts an X server of its own
# (tests/support/with-x-server.sh).
test: test-asan test-windows test-release

test-asan: build-asan
	@cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The real-time runs of the program spend 80 s each whatever the load, so one job a core is enough.
test-release: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Its suites need the Linux build too: one compares warnings with the Linux capture tool's. They
# share one X server (tests/CMakeLists.txt says why).
test-windows: build windows
	@cmake --build $(WIN_BUILD) -j $(JOBS) -- --no-print-directory
	@cd $(WIN_BUILD) && xvfb-run -a -s "-screen 0 1280x720x24" ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WIN_BUILD) $(WEB_BUILD) build-fuzz

# Each libFuzzer target (clang) for FUZZ_SECONDS seconds, 600 unless given.
fuzz: deps
	@JOBS=$(JOBS) WERROR=$(WERROR) scripts/fuzz.sh

bench: build
	@scripts/bench.sh $(BUILD)

# The whole presentation rendered offline to build/demo.mp4 with its soundtrack.
video: assets
	@scripts/video.sh $(BUILD)

# A 3840x2160 master, every side rendered twice over and averaged down, through the capture farm:
# build/master.mkv. FARM adds farm options, e.g. FARM="--hosts farm-hosts.txt" or FARM="--jobs 1".
FARM ?=
master: assets
	@cd $(BUILD)/assets && $(CURDIR)/scripts/capture-farm.sh $(FARM) \
	  --capture $(abspath $(BUILD))/tools/capture/capture --size 3840x2160 --supersample 2 \
	  --video $(abspath $(BUILD))/master.mkv

# The house layout of .clang-format, applied to our code, or only checked (as CI does).
format: deps
	@clang-format -i $(FORMATTED)

format-check: deps
	@clang-format --dry-run -Werror --ferror-limit=1 $(FORMATTED) || \
	  { echo "format-check: the files above differ from .clang-format; make format rewrites them" >&2; exit 1; }
