# The two commands a newcomer needs: `make run` and `make test`.
PRESET ?= default
BUILD_DIR := $(if $(filter asan,$(PRESET)),build-asan,build)
JOBS ?= $(shell nproc)

.PHONY: run test test-asan build bootstrap bench fuzz stress format clean install package screenshots

bootstrap:
	@scripts/bootstrap

build: bootstrap
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	ctest --preset $(PRESET) -j $(JOBS) || { scripts/test-failures $(BUILD_DIR); exit 1; }

test-asan:
	$(MAKE) test PRESET=asan

run: build
	scripts/run $(BUILD_DIR)/src/quorvel

# A Release build of its own (build-bench), so the test build keeps its tests;
# the Debian beds are measured too where they exist (BENCH=--beds makes the
# missing ones, BENCH=--no-beds leaves them out).
bench: bootstrap
	scripts/bench $(BENCH)

# libFuzzer on every parser of outside input, in a build of its own
# (build-fuzz); FUZZ_SECONDS per target (default 300).
fuzz: bootstrap
	scripts/fuzz $(FUZZ_SECONDS)

# Kills, restarts, storms and a long day's memory, each with its figure and
# goal (builds build/ and build-asan/); STRESS=--quick for the short run CI makes.
stress: bootstrap
	scripts/stress $(STRESS)

# The README's pictures, into docs/screenshots/.
screenshots: build
	scripts/screenshots $(BUILD_DIR)

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build build-asan build-deb out

PREFIX ?= /usr/local

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A build of its own (build-deb): the package leaves updates to apt.
package: bootstrap
	cmake --preset package >/dev/null
	cmake --build --preset package -j $(JOBS)
	cd build-deb && cpack -G DEB
