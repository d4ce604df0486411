# The two commands of the contract: `make run` and `make test`. Each installs what a fresh
# Debian 12 machine lacks, configures, builds, then starts Quillon or runs the suite.

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

# Debian packages each goal needs.
BUILD_PACKAGES := cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-dejavu-core
TEST_PACKAGES  := $(BUILD_PACKAGES) libgtest-dev libgmock-dev
BENCH_PACKAGES := $(BUILD_PACKAGES) libbenchmark-dev time zdbsp
RUN_PACKAGES   := $(BUILD_PACKAGES) xdg-utils
LOOK_PACKAGES  := xvfb xauth imagemagick xdotool
E2E_PACKAGES   := $(LOOK_PACKAGES) openbox python3 chocolate-doom crispy-doom dsda-doom freedoom procps \
                  zdbsp glbsp
VERDICTS_PACKAGES := $(BUILD_PACKAGES) $(LOOK_PACKAGES) python3 chocolate-doom crispy-doom \
                     dsda-doom woof-doom freedoom zdbsp glbsp
MEMCHECK_PACKAGES := $(TEST_PACKAGES) valgrind
FUZZ_PACKAGES  := cmake make clang-14 libclang-rt-14-dev
FORMAT_PACKAGES := clang-format
DEB_PACKAGES   := $(BUILD_PACKAGES) dpkg-dev file gzip
DEB_TEST_PACKAGES := $(DEB_PACKAGES) lintian desktop-file-utils appstream man-db \
                     xvfb xauth xdotool openbox imagemagick

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

.PHONY: all run test bench bench-x bench-trace e2e verdicts deps-run deps-test deps-bench build screenshot clean \
        sanitize memcheck fuzz deb deb-test format format-check

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

# Quillon as the user sees it, under Xvfb: starts from exec to the window's MapNotify beside a
# bare Qt window, idle memory, and the setup dialog's removal at 32 766 entries (from the key
# xdotool sends to the file's change seen by stat in another process) beside the floor of
# writing such a file; prints the ratios. BEFORE=path/to/an/older/Quillon measures that
# binary in the same run.
BENCH_X_PACKAGES := $(BUILD_PACKAGES) xvfb xdotool python3 python3-xlib
BEFORE ?=
bench-x:
	$(call ensure_packages,$(BENCH_X_PACKAGES))
	cmake -S . -B build-bench-x -DCMAKE_BUILD_TYPE=Release -DQUILLON_TESTS=OFF -DQUILLON_BENCH_X=ON $(CMAKE_ARGS)
	cmake --build build-bench-x -j $(JOBS) --target quillon quillon_bare_window
	/usr/bin/python3 bench/xbench.py --bare build-bench-x/quillon_bare_window \
	  $(if $(BEFORE),before=$(BEFORE)) after=build-bench-x/Quillon

# Where a start's time goes, from exec to the first frame: uprobes on the program's and
# Qt's functions, recorded by perf under Xvfb (needs root for the probes).
bench-trace:
	$(call ensure_packages,$(BENCH_X_PACKAGES) linux-perf binutils)
	cmake -S . -B build-bench-x -DCMAKE_BUILD_TYPE=Release -DQUILLON_TESTS=OFF -DQUILLON_BENCH_X=ON $(CMAKE_ARGS)
	cmake --build build-bench-x -j $(JOBS) --target quillon
	$(if $(BEFORE),/usr/bin/python3 bench/starttrace.py $(BEFORE))
	/usr/bin/python3 bench/starttrace.py build-bench-x/Quillon

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer; any report
# fails its test. Qt is not instrumented; a leak of its own would go in lsan.supp.
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=undefined \
                  -fno-omit-frame-pointer
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
                LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# -O1 and line tables only: what the sanitizers' reports need, and a fifth less to compile
# than -O2 with full debug information.
sanitize: deps-test
	$(call cmake_build,build-asan,-DQUILLON_TESTS=ON -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG")
	cd build-asan && QT_QPA_PLATFORM=offscreen $(SANITIZE_ENV) \
	  ctest --output-on-failure -j $(JOBS) --timeout 600

# valgrind's memcheck over two starts and closes of the real window: a first start that
# creates the configuration, then one that reads it.
memcheck: deps-test
	$(call ensure_packages,$(MEMCHECK_PACKAGES))
	$(call cmake_build,$(BUILD),-DQUILLON_TESTS=ON)
	tests/sanitizer/memcheck.sh $(BUILD)/tests/quillon_memcheck_driver

# libFuzzer targets over the core, each for FUZZ_SECONDS; new inputs collect in
# build-fuzz/corpus, crashes in build-fuzz/artifacts. The analysis reads lumps of up to
# 16 MiB: a run of it that holds more than FUZZ_ANALYSIS_MB, or asks for half that at once,
# fails.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := analysis dialect ini number scheme startspot testlaunch wad
FUZZ_ANALYSIS_MB ?= 1024
fuzz:
	$(call ensure_packages,$(FUZZ_PACKAGES))
	cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)
	@mkdir -p build-fuzz/artifacts
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s (log: build-fuzz/fuzz_$$t.log)"; \
	  limits=""; [ $$t = analysis ] && \
	    limits="-rss_limit_mb=$(FUZZ_ANALYSIS_MB) -malloc_limit_mb=$$(($(FUZZ_ANALYSIS_MB) / 2))"; \
	  if build-fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$limits \
	       -artifact_prefix=build-fuzz/artifacts/$$t- build-fuzz/corpus/$$t fuzz/corpus/$$t \
	       > build-fuzz/fuzz_$$t.log 2>&1; then \
	    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' build-fuzz/fuzz_$$t.log; \
	  else \
	    tail -n 60 build-fuzz/fuzz_$$t.log; exit 1; \
	  fi; \
	done

# Every C++ file in the tree, as .clang-format says; format-check changes nothing and fails
# on the first file that differs.
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format:
	$(call ensure_packages,$(FORMAT_PACKAGES))
	@clang-format -i $(FORMAT_FILES)
format-check:
	$(call ensure_packages,$(FORMAT_PACKAGES))
	@clang-format --dry-run -Werror $(FORMAT_FILES)

# A look at the real window under Xvfb, saved as docs/screenshots/*.png.
screenshot: deps-run
	$(call ensure_packages,$(LOOK_PACKAGES))
	$(call cmake_build,$(BUILD),-DQUILLON_TESTS=OFF)
	scripts/screenshot.sh $(BUILD)/Quillon

# The real program under Xvfb and a window manager, real ports and the Freedoom IWAD; the
# screenshots of each step land in docs/screenshots/.
e2e: deps-run
	$(call ensure_packages,$(E2E_PACKAGES))
	$(call cmake_build,$(BUILD),-DQUILLON_TESTS=OFF)
	xvfb-run -a -s "-screen 0 1024x768x24 -noreset" sh -c \
	  'openbox >/dev/null 2>&1 & sleep 1; scripts/e2e/run.sh $(BUILD)/Quillon docs/screenshots'

# Each WAD of the corpus (tests/corpus/MakeCorpus.cpp) started in each Debian 12 port under
# Xvfb, what really happened beside quillon-check's verdict; the table goes to
# docs/VERDICTS.md and the run fails on a disagreement the script does not explain.
verdicts:
	$(call ensure_packages,$(VERDICTS_PACKAGES))
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQUILLON_TESTS=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS) --target quillon-check quillon_corpus
	xvfb-run -a -s "-screen 0 1024x768x24 -noreset" python3 scripts/verdicts/run.py \
	  --check $(BUILD)/quillon-check --corpus $(BUILD)/quillon_corpus --out docs/VERDICTS.md

# The Debian package, quillon_<version>_<arch>.deb in build-deb/: the standard layout
# (/usr/bin/quillon, /usr/share/...), built with Debian's hardening flags, stripped, its
# dependencies found by dpkg-shlibdeps.
# Asked in the recipe's shell: dpkg-buildflags may have only just been installed.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
deb:
	$(call ensure_packages,$(DEB_PACKAGES))
	cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DQUILLON_TESTS=OFF -DQUILLON_PACKAGE=ON \
	  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)" $(CMAKE_ARGS)
	cmake --build build-deb -j $(JOBS)
	rm -f build-deb/quillon_*.deb
	cd build-deb && cpack -G DEB
	@ls build-deb/quillon_*.deb

# The package checked and then installed, started by a user with a fresh home, and removed
# again: scripts/deb-test.sh. Installs into this machine's /usr through apt.
deb-test: deb
	$(call ensure_packages,$(DEB_TEST_PACKAGES))
	xvfb-run -a -s "-screen 0 1024x768x24 -noreset" sh -c \
	  'openbox >/dev/null 2>&1 & scripts/deb-test.sh build-deb/quillon_*.deb'

clean:
	rm -rf $(BUILD) build-bench build-bench-x build-asan build-fuzz build-deb
