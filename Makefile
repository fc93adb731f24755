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
	$(MAKE) --no-print-directory sanitize

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

# make sanitize (the second half of make test): one clang build in build-san,
# instrumented for ASan, UBSan and libFuzzer, serves both the quick tests under
# the sanitizers (the long show runs are left to the Release build; ShortShow
# plays every part instead) and the fuzz targets, each of which then runs
# FUZZ_SECONDS on its seed corpus (the data, the fixtures, the regressions).
# make fuzz runs the targets longer: make fuzz FUZZ_SECONDS=300.
SAN_BUILD := build-san
SAN_FLAGS := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
SAN_SKIP := WholeShow|Pictures|Capture|DataGenerator
FUZZ_TARGETS := $(shell sed -n "s/^\([^# ]*\) .*/\1/p" tests/fuzz/targets)
FUZZ_SECONDS := 15

.PHONY: sanitize sanitize-build fuzz
sanitize-build: test-packages
	CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIX_FUZZ=ON \
	  -DCMAKE_C_FLAGS="$(SAN_FLAGS)" -DCMAKE_CXX_FLAGS="$(SAN_FLAGS)"
	cmake --build $(SAN_BUILD)

sanitize: sanitize-build
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j2 -E '$(SAN_SKIP)'
	$(MAKE) --no-print-directory fuzz

fuzz: sanitize-build
	tests/fuzz/seeds.sh $(SAN_BUILD)/data . $(SAN_BUILD)/corpus
	printf '%s\n' $(FUZZ_TARGETS) | xargs -P2 -I{} tests/fuzz/smoke.sh $(SAN_BUILD) {} $(FUZZ_SECONDS)

# make coverage: line and branch coverage of runtime/, platform/, engine/ and
# parts/ by the whole suite (gcovr; a Debug build with --coverage in
# build-cov), summary on the terminal and a page per file in
# build-cov/coverage.html. TAVIX_COVERAGE lets the tests' child processes,
# which leave by _exit, write their counts too.
COV_BUILD := build-cov

.PHONY: coverage
coverage: test-packages
	@./.ci/install-packages gcovr
	cmake -S . -B $(COV_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS=--coverage -DCMAKE_CXX_FLAGS="--coverage -DTAVIX_COVERAGE"
	cmake --build $(COV_BUILD)
	find $(COV_BUILD) -name '*.gcda' -delete
	cd $(COV_BUILD) && ctest -j2 --output-on-failure
	gcovr -r . --object-directory $(COV_BUILD) -f 'runtime/' -f 'platform/' -f 'engine/' -f 'parts/' \
	  --exclude-throw-branches --exclude-unreachable-branches -j 2 --print-summary \
	  --html-details $(COV_BUILD)/coverage.html
