# The two entry points of a fresh machine: `make test` and `make demo`.
BUILD_DEBUG   ?= build/debug
BUILD_RELEASE ?= build/release
BUILD_FUZZ    ?= build/fuzz
BUILD_CHECK   ?= build/release-check
BUILD_WINDOWS ?= build/windows
JOBS          ?= $(shell nproc)
CMAKE_FLAGS   ?=

.PHONY: test demo bootstrap configure build release-check bench fuzz screenshots clean \
        bootstrap-windows windows test-windows demo-windows screenshots-windows bench-windows

bootstrap:
	@if [ "$$(id -u)" -eq 0 ]; then scripts/bootstrap; else sudo scripts/bootstrap; fi

configure: bootstrap
	cmake -S . -B $(BUILD_DEBUG) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DVORNEL_SANITIZE=ON -DVORNEL_WERROR=ON $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DEBUG) -j $(JOBS)

# The Linux suite, a Release build with warnings as errors, then the Windows
# suite (cross-built, under Wine).
test: build release-check
	cd $(BUILD_DEBUG) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS) --timeout 600
	$(MAKE) test-windows

# The Release build once with warnings as errors (its optimiser warns where the
# Debug build does not), benchmarks included; its tests are not run, except that
# a plain ctest there must find nothing it cannot run.
release-check: bootstrap
	cmake -S . -B $(BUILD_CHECK) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNEL_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_CHECK) -j $(JOBS)
	cmake --build $(BUILD_CHECK) -j $(JOBS) --target benchmarks
	cd $(BUILD_CHECK) && ctest -L bench --output-on-failure

demo: bootstrap
	scripts/demo

bench: bootstrap
	cmake -S . -B $(BUILD_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD_RELEASE) -j $(JOBS) --target benchmarks
	scripts/bench $(BUILD_RELEASE)

fuzz: bootstrap
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(BUILD_FUZZ) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNEL_FUZZ=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzzers

screenshots: bootstrap
	scripts/screenshots

# The Windows build (cross-compiled, its tests under Wine); `make test` ends with it.
bootstrap-windows:
	@if [ "$$(id -u)" -eq 0 ]; then scripts/bootstrap-windows; else sudo scripts/bootstrap-windows; fi

windows: bootstrap-windows
	deps=$$(scripts/windows-deps) && \
	cmake -S . -B $(BUILD_WINDOWS) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DVORNEL_WERROR=ON -DVORNEL_WINDOWS_DEPS="$$deps" $(CMAKE_FLAGS)
	cmake --build $(BUILD_WINDOWS) -j $(JOBS)

# Wine on a loaded machine is now and then much slower than usual (its services
# starting, wmic in the self-delete script): a test that fails runs once more, and
# the log keeps what the first run printed.
test-windows: windows
	cd $(BUILD_WINDOWS) && ctest --output-on-failure -j $(JOBS) --timeout 1200 --repeat until-pass:2

clean:
	rm -rf build

# The Windows road under Wine, walked as `make demo` walks the Linux one, and the
# Windows screenshots along it (docs/screenshots/windows).
demo-windows: bootstrap-windows
	scripts/demo-windows

screenshots-windows: bootstrap-windows
	scripts/screenshots-windows

# The Windows program's start-up and its 256 MiB download against curl, under Wine.
bench-windows: bootstrap-windows
	scripts/bench-windows
