# Two commands do everything on a fresh machine: `make demo` and `make test`.
SHELL := /bin/bash
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
BENCH_DIR ?= build-bench
JOBS      ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup build build-asan test test-normal test-asan demo bench fuzz install clean

all: build

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

build-asan: setup
	@cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPATHFLUX_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)

test-normal: build
	@cd $(BUILD_DIR) && ctest -j $(JOBS) --output-on-failure --timeout 600

test-asan: build-asan
	@cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest -j $(JOBS) --output-on-failure --timeout 900

# The normal suite first, then the same suite under the sanitizers.
test: test-normal test-asan

demo: build
	@scripts/demo $(BUILD_DIR)

bench: setup
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPATHFLUX_TESTS=OFF -DPATHFLUX_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS)
	@scripts/bench $(BENCH_DIR)

# Builds the fuzz targets of the file readers with clang and runs each for FUZZ_SECONDS seconds
# (default 60); see scripts/fuzz.
fuzz:
	@PATHFLUX_SETUP_FUZZ=1 scripts/setup
	@JOBS=$(JOBS) scripts/fuzz

install: build
	@cmake --install $(BUILD_DIR) --prefix $(or $(PREFIX),/usr/local)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(BENCH_DIR)
