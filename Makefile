# Quireforge: `make run` opens the window, `make test` runs every test.
# Both install the Debian packages that are missing first (as root, or through sudo).

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

# Everything the build and the tests need on a fresh Debian 12 machine.
PACKAGES := \
	cmake g++ make pkg-config \
	qt6-base-dev qt6-translations-l10n libgl-dev \
	libicu-dev uuid-dev libzip-dev libdeflate-dev libcli11-dev \
	libgtest-dev libgmock-dev libbenchmark-dev libpcre2-dev \
	epubcheck default-jre-headless default-jdk-headless unzip zip p7zip-full python3 \
	xvfb xauth imagemagick x11-utils fonts-wqy-zenhei fonts-dejavu-core \
	e2fsprogs util-linux calibre

# Extra tools for `make fuzz` and `make bench` only.
FUZZ_PACKAGES := clang libclang-rt-14-dev
BENCH_PACKAGES := pandoc hyperfine time

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

.PHONY: all deps build run test fuzz bench clean

all: build

deps:
	$(call install_missing,$(PACKAGES))

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/quireforge

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

fuzz: deps
	$(call install_missing,$(FUZZ_PACKAGES))
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQF_FUZZ=ON -DQF_BUILD_UI=OFF
	cmake --build build-fuzz -j $(JOBS) --target pattern_fuzz
	mkdir -p build-fuzz/pattern-corpus
	./build-fuzz/pattern_fuzz -max_total_time=$${FUZZ_SECONDS:-120} -timeout=10 -rss_limit_mb=2048 \
	  -dict=fuzz/pattern.dict build-fuzz/pattern-corpus fuzz/seeds

bench: build
	$(call install_missing,$(BENCH_PACKAGES))
	./bench/run_all.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) build-fuzz
