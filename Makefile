# The two commands of the README, and a few more for developers.
#   make run    install what is missing, build, generate the assets, play the presentation
#   make test   install, build (plain and sanitized), run every test

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
XVFB        = xvfb-run -a -s "-screen 0 1280x720x24"

.PHONY: all deps build build-asan assets run test test-asan test-release fuzz bench video master clean

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

run: assets
	@scripts/play.sh $(BUILD)

# The sanitized suite first, then the plain one, so that the last lines are CTest's summary of it.
test: test-asan test-release

test-asan: build-asan
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 $(XVFB) ctest --output-on-failure -j $(JOBS)

# The real-time runs of the program spend 80 s each whatever the load, so they run side by side.
test-release: build
	@cd $(BUILD) && $(XVFB) ctest --output-on-failure -j 12

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)

# Fuzz the OBJ and MTL readers with libFuzzer (clang); FUZZ_SECONDS bounds the run.
fuzz: deps
	@scripts/fuzz.sh

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
