# The two commands of the README:
#   make run   - install what is missing, build (Release) and play the demo
#   make test  - the same set-up, then every test headless
# The other targets are steps of these two.

BUILD := build

RUN_PACKAGES := cmake ninja-build g++ pkg-config libsdl2-dev libsdl2-mixer-dev libgl-dev \
  libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0 libjpeg62-turbo-dev libpng-dev libfreetype-dev \
  libfontconfig-dev fonts-dejavu-core libcli11-dev libmp3lame-dev libgtest-dev libgmock-dev libbenchmark-dev
TEST_PACKAGES := $(RUN_PACKAGES) imagemagick assimp-utils clang libclang-rt-14-dev xvfb xauth ffmpeg

.PHONY: run test run-packages test-packages configure build-run build-all

run: run-packages build-run
	cd $(BUILD) && ./tavix

test: test-packages build-all
	cd $(BUILD) && ctest --output-on-failure -j2
	@if command -v clang++ >/dev/null 2>&1; then $(MAKE) --no-print-directory fuzz-smoke; \
	else echo "clang++ not found: the fuzz smoke run is skipped"; fi

run-packages:
	@./.ci/install-packages $(RUN_PACKAGES)

test-packages:
	@./.ci/install-packages $(TEST_PACKAGES)

configure:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build-run: configure
	cmake --build $(BUILD) --target tavix data

build-all: configure
	cmake --build $(BUILD)

# make video: the whole show at 60 fps with its music in build/tavix.mp4,
# rendered headless by tools/capture (installs ffmpeg when it is missing).
.PHONY: video
video: run-packages configure
	@./.ci/install-packages ffmpeg
	cmake --build $(BUILD) --target tavix-capture data
	$(BUILD)/tavix-capture --video $(BUILD)/tavix.mp4

# make fuzz: the file readers' libFuzzer targets (clang, ASan + UBSan) in
# build-fuzz, their seed corpora gathered from the data and the test files.
# make fuzz-smoke: each target FUZZ_SECONDS on its corpus, two at a time.
# make test-asan: the tests under ASan + UBSan in build-asan, leaving out the
# long whole-show and capture runs (ShortShow plays every part instead).
FUZZ_BUILD := build-fuzz
FUZZ_FLAGS := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
FUZZ_TARGETS := 3ds abr aab mat tga bmp jpg timesync
FUZZ_SECONDS := 30
ASAN_BUILD := build-asan
ASAN_SKIP := WholeShow|FirstHalf|Capture|DataGenerator

.PHONY: fuzz fuzz-smoke test-asan
fuzz: test-packages
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIX_FUZZ=ON \
	  -DCMAKE_C_FLAGS="$(FUZZ_FLAGS)" -DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)"
	cmake --build $(FUZZ_BUILD) --target fuzz-targets
	tests/fuzz/seeds.sh $(BUILD)/data . $(FUZZ_BUILD)/corpus

fuzz-smoke: fuzz
	printf '%s\n' $(FUZZ_TARGETS) | xargs -P2 -I{} tests/fuzz/smoke.sh $(FUZZ_BUILD) {} $(FUZZ_SECONDS)

test-asan: test-packages
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIX_SANITIZE=ON
	cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j2 -E '$(ASAN_SKIP)'

# make coverage: line and branch coverage of runtime/, platform/, engine/ and
# parts/ by the whole suite (gcovr; a Debug build with --coverage in
# build-cov), summary on the terminal and a page per file in
# build-cov/coverage.html.
COV_BUILD := build-cov

.PHONY: coverage
coverage: test-packages
	@./.ci/install-packages gcovr
	cmake -S . -B $(COV_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS=--coverage -DCMAKE_CXX_FLAGS=--coverage
	cmake --build $(COV_BUILD)
	find $(COV_BUILD) -name '*.gcda' -delete
	cd $(COV_BUILD) && ctest -j2 --output-on-failure
	gcovr -r . --object-directory $(COV_BUILD) -f 'runtime/' -f 'platform/' -f 'engine/' -f 'parts/' \
	  --exclude-throw-branches --exclude-unreachable-branches -j 2 --print-summary \
	  --html-details $(COV_BUILD)/coverage.html
