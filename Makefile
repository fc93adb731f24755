# The two commands of the README:
#   make run   - install what is missing, build (Release) and play the demo
#   make test  - the same set-up, then every test headless
# The other targets are steps of these two.

BUILD := build

RUN_PACKAGES := cmake ninja-build g++ pkg-config libsdl2-dev libsdl2-mixer-dev libgl-dev \
  libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0 libjpeg62-turbo-dev libpng-dev libfreetype-dev \
  libfontconfig-dev fonts-dejavu-core libmp3lame-dev libgtest-dev libgmock-dev libbenchmark-dev
TEST_PACKAGES := $(RUN_PACKAGES) imagemagick assimp-utils clang libclang-rt-14-dev xvfb xauth

.PHONY: run test run-packages test-packages configure build-run build-all

run: run-packages build-run
	cd $(BUILD) && ./tavix

test: test-packages build-all
	cd $(BUILD) && ctest --output-on-failure -j2

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
