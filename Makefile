# The two commands of the README:
#   make run   - install what is missing, build (Release) and play the demo
#   make test  - the same set-up, then every test headless
# The other targets are steps of these two.

BUILD := build

RUN_PACKAGES := cmake ninja-build g++ pkg-config libsdl2-dev libsdl2-mixer-dev libgl-dev \
  libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0 libjpeg62-turbo-dev libpng-dev libfreetype-dev \
  libfontconfig-dev fonts-dejavu-core libcli11-dev libmp3lame-dev libgtest-dev libgmock-dev libbenchmark-dev
PACKAGE_PACKAGES := dpkg-dev file
TEST_PACKAGES := $(RUN_PACKAGES) $(PACKAGE_PACKAGES) imagemagick assimp-utils clang libclang-rt-14-dev xvfb xauth \
  xfonts-base xdotool libx11-dev ffmpeg desktop-file-utils appstream lintian \
  pipewire pipewire-bin pipewire-pulse wireplumber pulseaudio-utils libpipewire-0.3-dev dbus

.PHONY: run test run-packages test-packages configure build-run build-all

run: run-packages build-run
	cd $(BUILD) && ./tavix

test: test-packages build-all
	cd $(BUILD) && ctest --no-tests=error --output-on-failure -j2
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

# make install: the programs, the data, the menu entry, icons, metainfo and
# man pages under PREFIX (default /usr/local); DESTDIR=/some/root stages the
# same tree below another folder. GAMES_LAYOUT=ON puts the programs into
# games/ and the data into share/games/tavix, OFF into bin/ and share/tavix;
# unset, the build's setting stays (at first ON on Debian, OFF elsewhere).
# make package builds the Debian package (build/tavix_<version>_<arch>.deb)
# from the same rules, for /usr in the games layout.
PREFIX := /usr/local
GAMES_LAYOUT :=
INSTALL_TARGETS := tavix tavix-capture data compressed_docs

.PHONY: install package
install: run-packages
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$(PREFIX) \
	  $(if $(GAMES_LAYOUT),-DTAVIX_GAMES_LAYOUT=$(GAMES_LAYOUT))
	cmake --build $(BUILD) --target $(INSTALL_TARGETS)
	DESTDIR=$(DESTDIR) cmake --install $(BUILD)

package: run-packages
	@./.ci/install-packages $(PACKAGE_PACKAGES)
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTAVIX_GAMES_LAYOUT=ON
	cmake --build $(BUILD) --target $(INSTALL_TARGETS)
	cd $(BUILD) && cpack -G DEB

# make video: the whole show at 60 fps with its music in build/tavix.mp4,
# rendered headless by tools/capture (installs ffmpeg when it is missing);
# make video SIZE=2880x2160 renders it at that frame size.
SIZE :=
.PHONY: video
video: run-packages configure
	@./.ci/install-packages ffmpeg
	cmake --build $(BUILD) --target tavix-capture data
	$(BUILD)/tavix-capture --video $(BUILD)/tavix.mp4 $(if $(SIZE),--size $(SIZE))

# make sanitize (the second half of make test): one clang build in build-san,
# instrumented for ASan, UBSan and libFuzzer, serves both the quick tests under
# the sanitizers and the fuzz targets, each of which then runs FUZZ_SECONDS on
# its seed corpus (the data, the fixtures, the regressions); then the tests
# that start threads run under ThreadSanitizer (sanitize-threads). Left to the
# Release build: the long show runs (ShortShow plays every part instead), the
# timeline's runs that only play (its saving and recovery runs stay), the
# generator's time budget, the real sound server's runs (timed against the
# sound), and the X message boxes: SDL shows one from a forked child, whose
# first allocation can hang in ASan's allocator when another thread (the
# music's decoding) held its lock at the fork. Named whole so that no other
# test goes with them.
# make fuzz runs the targets longer: make fuzz FUZZ_SECONDS=300.
SAN_BUILD := build-san
SAN_FLAGS := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# Line tables are all a sanitizer's report needs, at a fraction of the build.
SAN_OPT := -O2 -gline-tables-only -DNDEBUG
SAN_SKIP := ^((WholeShow|Pictures|CaptureRun|DataGenerator|Installed|SoundServer)\.|Timeline\.(AJump|SpacePause|TheMouse)|Display\.(FullscreenAltEnterAndAMessageBox|AMessageNoBoxCanShow))
FUZZ_TARGETS := $(shell sed -n "s/^\([^# ]*\) .*/\1/p" tests/fuzz/targets)
FUZZ_SECONDS := 10

.PHONY: sanitize sanitize-build fuzz
sanitize-build: test-packages
	CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIX_FUZZ=ON \
	  -DCMAKE_C_FLAGS="$(SAN_FLAGS)" -DCMAKE_CXX_FLAGS="$(SAN_FLAGS)" \
	  -DCMAKE_C_FLAGS_RELWITHDEBINFO="$(SAN_OPT)" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(SAN_OPT)"
	cmake --build $(SAN_BUILD)

sanitize: sanitize-build
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --no-tests=error --output-on-failure -j2 -E '$(SAN_SKIP)'
	$(MAKE) --no-print-directory fuzz
	$(MAKE) --no-print-directory sanitize-threads

fuzz: sanitize-build
	tests/fuzz/seeds.sh $(SAN_BUILD)/data . $(SAN_BUILD)/corpus
	printf '%s\n' $(FUZZ_TARGETS) | xargs -P2 -I{} tests/fuzz/smoke.sh $(SAN_BUILD) {} $(FUZZ_SECONDS)

# make sanitize-threads: the music decodes on a thread of its own and the
# capture tool feeds its encoder from another; the tests that start them run
# under ThreadSanitizer in a clang build (build-tsan) of just their two suites
# and the capture tool, with only the threaded units instrumented (TAVIX_TSAN)
# so that the loading and drawing keep their speed. Mesa's rasteriser threads
# are switched off (LP_NUM_THREADS=0): they are none of ours, and TSan cannot
# see their synchronisation.
TSAN_BUILD := build-tsan
# The contact sheet's run is left out: its only second thread is the music's,
# which the Music tests run in-process.
TSAN_TESTS := ^(Music\.|CaptureRun\.(AFailedOutput|VideoHasEveryFrame))

.PHONY: sanitize-threads
sanitize-threads: test-packages
	CC=clang CXX=clang++ cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVIX_TSAN=ON \
	  -DCMAKE_CXX_FLAGS=-gline-tables-only -DTAVIX_SUITES="Platform_test;Capture_test"
	cmake --build $(TSAN_BUILD) --target Platform_test Capture_test
	cd $(TSAN_BUILD) && LP_NUM_THREADS=0 TSAN_OPTIONS=halt_on_error=1 \
	  ctest --no-tests=error --output-on-failure -j2 -R '$(TSAN_TESTS)'

# make coverage: line and branch coverage of runtime/, timeline/, platform/, engine/ and
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
	cd $(COV_BUILD) && ctest --no-tests=error -j2 --output-on-failure
	gcovr -r . --object-directory $(COV_BUILD) -f 'runtime/' -f 'timeline/' -f 'platform/' -f 'engine/' -f 'parts/' \
	  --exclude-throw-branches --exclude-unreachable-branches -j 2 --print-summary \
	  --html-details $(COV_BUILD)/coverage.html
