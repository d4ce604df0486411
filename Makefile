# The two commands of the contract: `make run` and `make test`. Each installs what a fresh
# Debian 12 machine lacks, configures, builds, then starts Quillon or runs the suite.

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

# Debian packages each goal needs.
BUILD_PACKAGES := cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-dejavu-core
TEST_PACKAGES  := $(BUILD_PACKAGES) libgtest-dev libgmock-dev
BENCH_PACKAGES := $(BUILD_PACKAGES) libbenchmark-dev
RUN_PACKAGES   := $(BUILD_PACKAGES) xdg-utils
LOOK_PACKAGES  := xvfb xauth imagemagick xdotool

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Installs only what is missing, so a prepared machine pays one dpkg query.
define ensure_packages
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

.PHONY: all run test bench deps-run deps-test deps-bench build screenshot clean

all: build

deps-run:
	$(call ensure_packages,$(RUN_PACKAGES))
deps-test:
	$(call ensure_packages,$(TEST_PACKAGES))
deps-bench:
	$(call ensure_packages,$(BENCH_PACKAGES))

# configure and build in folder $(1) with extra CMake arguments $(2)
define cmake_build
	cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(2) $(CMAKE_ARGS)
	cmake --build $(1) -j $(JOBS)
endef

build: deps-test
	$(call cmake_build,$(BUILD),-DQUILLON_TESTS=ON)

run: deps-run
	$(call cmake_build,$(BUILD),-DQUILLON_TESTS=OFF)
	$(BUILD)/Quillon

test: deps-test
	$(call cmake_build,$(BUILD),-DQUILLON_TESTS=ON)
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

bench: deps-bench
	$(call cmake_build,build-bench,-DCMAKE_BUILD_TYPE=Release -DQUILLON_TESTS=OFF -DQUILLON_BENCH=ON)
	cd build-bench && QT_QPA_PLATFORM=offscreen ./bench/quillon_bench

# A look at the real window under Xvfb, saved as docs/screenshots/*.png.
screenshot: deps-run
	$(call ensure_packages,$(LOOK_PACKAGES))
	$(call cmake_build,$(BUILD),-DQUILLON_TESTS=OFF)
	scripts/screenshot.sh $(BUILD)/Quillon

clean:
	rm -rf $(BUILD) build-bench
