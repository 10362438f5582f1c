# The two set-up commands are `make demo` and `make test`; everything else is for developers.
# Build trees live under build/: test (ASan+UBSan), tsan (threaded code), release
# (benchmarks, demo, tools) and fuzz (clang, libFuzzer).
# Each command first installs the Debian packages it needs (scripts/install-deps.sh GROUP).
JOBS ?= 2
PREFIX ?= /usr/local
CMAKE_GEN := -G Ninja
SAN_FLAGS := -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 -g" -DTIDEPOOL_WERROR=ON
# How long `make fuzz` runs each target; `make fuzz FUZZ_TARGETS="fuzz_png fuzz_gif"` runs only
# the targets named.
FUZZ_SECONDS ?= 20
# How long `make test` runs each fuzz target over its seeds.
TEST_FUZZ_SECONDS ?= 5
DEPS := bash scripts/install-deps.sh

.PHONY: all deps build test test-unit test-tsan test-fuzz test-package bench demo fuzz fuzz-build gallery install package clean

all: build

# Every package of every group.
deps:
	@$(DEPS) all

build/release/build.ninja:
	@$(DEPS) build
	cmake -S . -B build/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTIDEPOOL_BUILD_TESTS=OFF -DTIDEPOOL_BUILD_BENCH=OFF

build: build/release/build.ninja
	@$(DEPS) build
	cmake --build build/release -j $(JOBS)

build/test/build.ninja:
	@$(DEPS) test
	cmake -S . -B build/test $(CMAKE_GEN) $(SAN_FLAGS) -DTIDEPOOL_SANITIZE=address,undefined -DTIDEPOOL_BUILD_BENCH=OFF

build/tsan/build.ninja:
	@$(DEPS) test
	cmake -S . -B build/tsan $(CMAKE_GEN) $(SAN_FLAGS) -DTIDEPOOL_SANITIZE=thread -DTIDEPOOL_BUILD_BENCH=OFF

build/fuzz/build.ninja:
	@$(DEPS) fuzz
	CC=clang CXX=clang++ cmake -S . -B build/fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTIDEPOOL_BUILD_FUZZ=ON -DTIDEPOOL_BUILD_TESTS=OFF -DTIDEPOOL_BUILD_BENCH=OFF \
	  -DTIDEPOOL_WITH_QT=OFF -DTIDEPOOL_WITH_SDL=OFF

# Every test: the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the threaded tests under ThreadSanitizer, then every fuzz target built and run
# over its seeds for TEST_FUZZ_SECONDS (so a fuzz target that no longer builds fails too),
# then the package's checks.
test:
	@$(DEPS) test fuzz
	@$(MAKE) --no-print-directory test-unit test-tsan test-fuzz test-package

test-unit: build/test/build.ninja
	cmake --build build/test -j $(JOBS)
	cd build/test && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

test-tsan: build/tsan/build.ninja
	@if cmake --build build/tsan --target help | grep -q '^tests_animation:'; then \
	  cmake --build build/tsan -j $(JOBS) --target tests_animation tests_presentation tests_library tests_photoshow && \
	  cd build/tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -L threads; \
	else echo "test-tsan: no threaded tests in this tree"; fi

# The seeds of the saver targets are packed by the tools test-unit built in build/test.
test-fuzz: fuzz-build
	@bash fuzz/run.sh build/fuzz $(TEST_FUZZ_SECONDS)

bench: build/release/build.ninja
	@$(DEPS) bench
	cmake -S . -B build/release -DTIDEPOOL_BUILD_BENCH=ON >/dev/null
	cmake --build build/release -j $(JOBS)
	@bash bench/run.sh build/release $(BENCH)

# Only the player and the two tools the demo runs are built.
DEMO_TARGETS := tidepool tidepool-pack tidepool-mpp
demo:
	@$(DEPS) demo
	@$(MAKE) --no-print-directory build/release/build.ninja
	cmake --build build/release -j $(JOBS) --target $(DEMO_TARGETS)
	@bash demo/run.sh build/release

gallery:
	@$(DEPS) demo
	@$(MAKE) --no-print-directory build
	@bash demo/gallery.sh build/release

# Only the fuzz targets are built (the player and tools are not needed to fuzz).
fuzz-build: build/fuzz/build.ninja
	@$(DEPS) fuzz
	cmake --build build/fuzz -j $(JOBS) --target fuzz_targets

fuzz: fuzz-build
	@FUZZ_TARGETS="$(FUZZ_TARGETS)" bash fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

# Installs under PREFIX (default /usr/local). xscreensaver reads hack descriptions only
# from /usr/share/xscreensaver/config: use PREFIX=/usr, or better the package.
install: build
	cmake --install build/release --prefix $(PREFIX)

# The Debian package (debian/, dpkg-buildpackage) installing under /usr:
# build/release/tidepool_VERSION_ARCH.deb, built out of a copy of the tree in build/deb.
package:
	@$(DEPS) package
	@bash scripts/build-package.sh build/deb build/release

# The package: lintian, the desktop, AppStream, XML and man page checks, a second build
# in another folder that must give the same bytes, and the tests of the unpacked package.
PACKAGE_DEB = build/release/tidepool_$(shell dpkg-parsechangelog -S Version)_$(shell dpkg-architecture -q DEB_HOST_ARCH).deb
test-package: package build/test/build.ninja
	@bash scripts/check-package.sh $(PACKAGE_DEB)
	@bash scripts/check-reproducible.sh build/repro $(PACKAGE_DEB)
	cmake --build build/test -j $(JOBS) --target tests_e2e
	cd build/test && TIDEPOOL_DEB=$(abspath $(PACKAGE_DEB)) TIDEPOOL_BIN_DIR=$(abspath build/test) \
	  TIDEPOOL_SOURCE_DIR=$(CURDIR) QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  tests/tests_e2e --gtest_filter='Package.*'

clean:
	rm -rf build
