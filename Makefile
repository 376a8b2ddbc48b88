# Wraps CMake. `make run` and `make test` do all the set-up on a fresh Debian 12
# machine (root or sudo): packages, configure, build, then run.
BUILD_DIR ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
CCACHE := $(shell command -v ccache 2>/dev/null)
ifneq ($(CCACHE),)
CMAKE_FLAGS += -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
endif

.PHONY: all deps configure build run test integrity soak soak-short check-asan check-tsan bench fuzz screenshot install clean

all: build

deps:
	@sh scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# `make run ARGS="--size 800x480"` passes options on to the dashboard. It
# builds only the dashboard and the simulator, not the tests.
run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target tarndash tarn-ecu-sim
	@sh scripts/run-dashboard.sh $(BUILD_DIR) $(ARGS)

test: build
	cd $(BUILD_DIR) && xvfb-run -a -s "-screen 0 1024x768x24" \
		ctest --output-on-failure -j $(JOBS) --timeout 120

# The integrity figure: the ECU input against a noisy USB adapter on a
# pseudo-terminal, 1,000 ticks per run (`make test` runs 50).
integrity: build
	TARN_INTEGRITY_TICKS=1000 $(BUILD_DIR)/tests/integrity/integrity_tests

# A day of the inputs in minutes (tests/soak), then the dashboard itself under
# Xvfb with the simulator for GUI_SOAK_SECONDS; each prints a table of figures
# and fails when memory, descriptors, threads or the debug log grow. Not part
# of `make test`. `make soak-short` runs a tenth of the in-process soak (CI).
GUI_SOAK_SECONDS ?= 600
soak: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target tarn_soak
	$(BUILD_DIR)/tests/soak/tarn_soak
	GUI_SOAK_SECONDS=$(GUI_SOAK_SECONDS) sh tests/soak/gui-soak.sh $(BUILD_DIR)

soak-short: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target tarn_soak
	$(BUILD_DIR)/tests/soak/tarn_soak --scale 0.1

# The test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Leaks inside system libraries' caches are suppressed (tests/sanitizers).
check-asan: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_SANITIZE=ON \
		$(CMAKE_FLAGS) >/dev/null
	@cmake --build build-asan -j $(JOBS)
	cd build-asan && \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
		xvfb-run -a -s "-screen 0 1024x768x24" \
		ctest --output-on-failure -j $(JOBS) --timeout 300

# The line, the links, the ECU input and the dispatcher under the thread
# sanitizer: the worker thread, the time-out timers and their callers must
# share nothing unguarded.
TSAN_DIR ?= build-tsan
TSAN_TESTS := dispatch/dispatch_tests serial/serial_tests link/link_tests ecu/ecu_tests
check-tsan: deps
	@cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_TSAN=ON \
		$(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target $(notdir $(TSAN_TESTS)) tarn-ecu-sim
	cd $(TSAN_DIR) && for t in $(TSAN_TESTS); do \
		TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" tests/$$t || exit 1; done

bench: deps
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTARN_BUILD_TESTS=OFF \
		-DTARN_BUILD_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@sh scripts/run-benchmarks.sh build-bench

FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTARN_BUILD_TESTS=OFF -DTARN_BUILD_FUZZ=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@sh scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

# Pictures of the dashboard replaying the sample datalog, for the README: the
# handheld's 240 x 320 and a car panel's 800 x 480.
screenshot: build
	@sh scripts/screenshot.sh $(BUILD_DIR) docs/dashboard-240x320.png 240x320
	@sh scripts/screenshot.sh $(BUILD_DIR) docs/dashboard-800x480.png 800x480

# Installs the dashboard, the tools, the sample files and the desktop entry
# under PREFIX (`make install PREFIX=$HOME/.local`; DESTDIR is honoured).
PREFIX ?= /usr/local
install: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target tarndash tarntool tarn-ecu-sim
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX) --strip

clean:
	rm -rf $(BUILD_DIR) build-bench build-fuzz build-asan $(TSAN_DIR)
