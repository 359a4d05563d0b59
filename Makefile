# Thin wrapper over CMake: `make run` flies the default flight, `make test`
# builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build install asan fuzz soak bench bench-smoke test-windows docs clean

# The flight page's chart library (and the browser test's driver), from npm.
NODE_MODULES := node_modules/.package-lock.json
$(NODE_MODULES): package.json package-lock.json
	npm ci --no-audit --no-fund

build: $(NODE_MODULES)
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

# The flight needs only the module, the sound library and the program.
run: $(NODE_MODULES)
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target vesselsim
	$(BUILD)/vesselsim --html

# The README's screenshot of the flight page (headless Chromium and
# playwright-core: `npm ci`), from the default flight flown into the build.
docs: build
	$(BUILD)/vesselsim --quiet --html --out $(BUILD)/docs-flight
	node tests/browser/screenshot.mjs $(BUILD)/docs-flight/flight.html docs/flight-page.png

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The program with the helicopter and the sound libraries, runnable from
# anywhere as PREFIX/bin/vesselsim.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

asan: $(NODE_MODULES)
	cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DSANITIZE=ON -DBUILD_BENCHMARKS=OFF
	cmake --build build-asan -j $(JOBS)
	ctest --test-dir build-asan --output-on-failure -j $(JOBS)

# Every fuzz target (libFuzzer, clang, address and undefined-behaviour
# sanitizers) for FUZZ_SECONDS each.
FUZZ_SECONDS ?= 300
fuzz: $(NODE_MODULES)
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DSANITIZE=ON -DFUZZ=ON \
	  -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF
	cmake --build build-fuzz -j $(JOBS)
	fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# Long runs: load/unload cycles with flat memory and unmapped libraries, and
# a fleet of helicopters with physics whose every logged value is finite.
SOAK_CYCLES ?= 10000
SOAK_VESSELS ?= 1000
SOAK_STEPS ?= 100000
soak: build
	$(BUILD)/vsim_soak cycles $(SOAK_CYCLES)
	$(BUILD)/vsim_soak fleet $(SOAK_VESSELS) $(SOAK_STEPS)

# The Windows build (MinGW-w64) and all its tests under Wine; the default
# flight is compared with the Linux build's.
WINDOWS_BUILD ?= build-windows
test-windows: build
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCHMARKS=OFF \
	  -DREFERENCE_VESSELSIM=$(abspath $(BUILD))/vesselsim
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	tests/scripts/wine_ctest.sh $(WINDOWS_BUILD) --output-on-failure -j $(JOBS)

# The benchmarks (medians of five runs, interleaved at random so that the
# ratios are of runs side by side, then one table of the figures and their
# targets) and the instruction counts under callgrind.
bench: build
	$(BUILD)/corvane_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
	  --benchmark_enable_random_interleaving=true
	bench/instructions.sh $(BUILD)
	bench/outputs.sh $(BUILD)

# Every benchmark once, briefly, so that none can rot; no timing is judged.
bench-smoke: build
	$(BUILD)/corvane_bench --benchmark_min_time=0.001
	bench/instructions.sh $(BUILD) 10

clean:
	rm -rf $(BUILD) build-asan build-fuzz $(WINDOWS_BUILD) out
