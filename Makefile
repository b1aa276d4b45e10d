# Quireforge: `make run` opens the window, `make test` runs every test, `make package` builds
# the Debian package. They install the Debian packages that are missing first (as root, or
# through sudo); `make` alone only builds, and CMake never installs anything.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# Warnings in our own code stop the build; `make test WERROR=OFF` lets a local build go on.
WERROR ?= ON

# What building and running the programs need on a fresh Debian 12 machine (`make run`).
BUILD_PACKAGES := \
	cmake g++ make pkg-config \
	qt6-base-dev qt6-translations-l10n libgl-dev \
	libicu-dev uuid-dev libzip-dev libdeflate-dev libcli11-dev \
	libopencc-dev libopencc-data libpango1.0-dev libcairo2-dev libfontconfig-dev \
	fonts-wqy-zenhei fonts-dejavu-core

# What the tests need beyond that (`make test`, the sanitizer runs).
TEST_PACKAGES := \
	libgtest-dev libgmock-dev libbenchmark-dev libpcre2-dev \
	epubcheck default-jre-headless default-jdk-headless unzip zip p7zip-full python3 \
	xvfb xauth imagemagick x11-utils openbox \
	e2fsprogs util-linux calibre

PACKAGES := $(BUILD_PACKAGES) $(TEST_PACKAGES)

# Extra tools for `make fuzz`, `make bench` and `make format-check` only. The sanitizer runs
# need nothing beyond PACKAGES: g++ brings gcc's sanitizer runtimes.
FUZZ_PACKAGES := clang libclang-rt-14-dev
BENCH_PACKAGES := pandoc hyperfine time
FORMAT_PACKAGES := clang-format git
# `make package` needs dpkg-shlibdeps (for the package's Depends) and file; `make package-check`
# the validators of the package and its files (hardening-check comes with devscripts; xdg-mime,
# with xdg-utils, asks which program opens a text file); `make icons` the SVG renderer.
PACKAGE_PACKAGES := dpkg-dev file
PACKAGE_CHECK_PACKAGES := $(PACKAGE_PACKAGES) desktop-file-utils appstream lintian groff man-db \
	epubcheck default-jre-headless devscripts xdg-utils
ICON_PACKAGES := librsvg2-bin

# `make asan`: the whole suite under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer
# (`make asan ASAN_TESTS="-LE slow"`: the fast tests only).
# `make tsan`: under ThreadSanitizer, the tests labelled "threads" (ctest -L threads): the
# conversion tests (the two-thread decode of large legacy-code-page sources), the zip engine's
# tests (its parallel compressor), the archive component's and the finishing tests (the engine
# through its callbacks), and the pattern engine and chapter-head rule tests. The window is not
# built there: Qt is not instrumented for ThreadSanitizer. `make tsan TSAN_TESTS=` runs every
# test of that build.
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
TSAN_TESTS ?= -L threads
SANITIZER_BUILD_TYPE ?= RelWithDebInfo

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

define install_missing
	@missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${Status}' "$$p" 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi
endef

.PHONY: all deps build-deps configure build run test check release-test package package-check \
	icons asan tsan format-check fuzz bench bench-deps clean

# `make` alone builds; it installs nothing (`make run` and `make test` do).
all: build

deps:
	$(call install_missing,$(PACKAGES))

build-deps:
	$(call install_missing,$(BUILD_PACKAGES))

# The programs are built to be installed under /usr (the Debian package's layout); they also
# run from the build folder.
configure:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQF_WARNINGS_AS_ERRORS=$(WERROR) \
	  -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=$(TESTING)

TESTING ?= ON
build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build-deps
	$(MAKE) build TESTING=OFF
	./$(BUILD_DIR)/quireforge

test: deps
	$(MAKE) build TESTING=ON
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The fast tests, for everyday work: every test but those labelled slow (epubcheck over many
# books, calibre reading books back, the window on a real display under Xvfb, the books of
# the Book options dialog beside the command line's, a book of a hundred thousand chapters).
# `make test` runs them all.
check: deps
	$(MAKE) build TESTING=ON
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -LE slow

# The build a packager makes (plain CMake, Release, -O3) with its tests. Warnings stop it here.
# `make release-test RELEASE_TESTS="-LE slow"` runs only the fast ones.
RELEASE_DIR ?= build-release
RELEASE_TESTS ?=
release-test: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DQF_WARNINGS_AS_ERRORS=$(WERROR) \
	  -DQF_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	cd $(RELEASE_DIR) && ctest --output-on-failure -j $(JOBS) $(RELEASE_TESTS)

# build/quireforge_<version>_<arch>.deb, from the programs alone (no tests built).
package: build-deps
	$(call install_missing,$(PACKAGE_PACKAGES))
	$(MAKE) build TESTING=OFF
	cd $(BUILD_DIR) && cpack -G DEB

# The package of a Release build without tests, unpacked and tried, and its files validated.
# The window is driven through Add and Start when `make release-test` has built the driver.
# `make package-check PACKAGE_DIR=build-release` packs the programs `make release-test` built,
# its folder configured again without tests (the programs' sources compile the same).
# Then the same checks on the package a packager's plain `cmake` and `cpack -G DEB` make, with
# CMake's default prefix (/usr/local) and build type, in build-plain/ (the programs only).
PACKAGE_DIR ?= build-package
WINDOW_DRIVER ?= $(wildcard $(RELEASE_DIR)/libqf_window_driver.so)
PLAIN_DIR ?= build-plain
package-check: build-deps
	$(call install_missing,$(PACKAGE_CHECK_PACKAGES))
	$(MAKE) package BUILD_DIR=$(PACKAGE_DIR) BUILD_TYPE=Release
	.ci/check-package $(PACKAGE_DIR) $(WINDOW_DRIVER)
	cmake -S . -B $(PLAIN_DIR) -DBUILD_TESTING=OFF
	cmake --build $(PLAIN_DIR) -j $(JOBS)
	cd $(PLAIN_DIR) && cpack -G DEB
	.ci/check-package $(PLAIN_DIR)

# Renders the icon's PNG sizes from its SVG (they are kept in the tree).
icons:
	$(call install_missing,$(ICON_PACKAGES))
	for size in 48 128 256; do \
	  rsvg-convert -w $$size -h $$size data/icons/org.quireforge.Quireforge.svg \
	    -o data/icons/org.quireforge.Quireforge-$$size.png; \
	done

ASAN_TESTS ?=
asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=$(SANITIZER_BUILD_TYPE) -DQF_SANITIZE=address \
	  -DQF_WARNINGS_AS_ERRORS=$(WERROR) -DQF_BUILD_BENCH=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS) $(ASAN_TESTS)

tsan: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=$(SANITIZER_BUILD_TYPE) -DQF_SANITIZE=thread \
	  -DQF_WARNINGS_AS_ERRORS=$(WERROR) -DQF_BUILD_BENCH=OFF -DQF_BUILD_UI=OFF
	cmake --build $(TSAN_DIR) -j $(JOBS)
	cd $(TSAN_DIR) && ctest --output-on-failure -j $(JOBS) $(TSAN_TESTS)

# Every tracked C and C++ file must be formatted as `clang-format -i` leaves it.
format-check:
	$(call install_missing,$(FORMAT_PACKAGES))
	git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run -Werror

fuzz: deps
	$(call install_missing,$(FUZZ_PACKAGES))
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQF_FUZZ=ON -DQF_BUILD_UI=OFF \
	  -DQF_WARNINGS_AS_ERRORS=$(WERROR)
	cmake --build build-fuzz -j $(JOBS) --target pattern_fuzz
	mkdir -p build-fuzz/pattern-corpus
	./build-fuzz/pattern_fuzz -max_total_time=$${FUZZ_SECONDS:-120} -timeout=10 -rss_limit_mb=2048 \
	  -dict=fuzz/pattern.dict build-fuzz/pattern-corpus fuzz/seeds

# The tools the benchmarks compare with, alone (bench/compare.sh and friends need them).
bench-deps:
	$(call install_missing,$(BENCH_PACKAGES))

bench: deps bench-deps
	$(MAKE) build TESTING=ON
	./bench/run_all.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(RELEASE_DIR) $(PACKAGE_DIR) build-plain build-fuzz
