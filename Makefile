# The two set-up commands of the README: `make run` and `make test`.
JOBS ?= $(shell nproc)
PRESET ?= default

.PHONY: all deps configure build test test-threads run screenshots bench fuzz format clean \
	release-installed install package

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j$(JOBS)

# Every test, then the serial engine and protocol tests again under ThreadSanitizer.
test: build
	@ctest --preset $(PRESET) -j$(JOBS)
	@$(MAKE) --no-print-directory test-threads

test-threads: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j$(JOBS) --target serial_port_test port_list_test device_link_test \
		unit_session_test port_work_test
	@ctest --preset tsan -L serial -j$(JOBS)

run: build
	@scripts/run-demo build/$(PRESET)

# The README's pictures, rendered offscreen into docs/.
screenshots: configure
	@cmake --build --preset $(PRESET) -j$(JOBS) --target screenshots

# Benchmarks: the `release` preset, only what they need, then the figures (docs/performance.md).
bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j$(JOBS) --target dtu_bench
	@build/release/bench/dtu_bench $(BENCH_ARGS)

# Fuzzing: the `fuzz` preset (clang, sanitizers), each target FUZZ_SECONDS seconds.
FUZZ_SECONDS ?= 60
fuzz: deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_BUILD_JOBS=$(JOBS) scripts/run-fuzz

# Installing and packaging: the `release` preset, only what is installed.
INSTALLED_TARGETS = dtuconfig dtuctl dtusim dtu_manual_pages
release-installed: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j$(JOBS) --target $(INSTALLED_TARGETS)

# `make install [DESTDIR=DIR] [PREFIX=/usr]`; the prefix is /usr/local unless PREFIX says.
install: release-installed
	@DESTDIR="$(DESTDIR)" cmake --install build/release $(if $(PREFIX),--prefix "$(PREFIX)")

# The Debian package, built with CPack into build/release/package and copied here.
package: release-installed
	@rm -f build/release/package/*.deb dtuconfig_*.deb
	@cpack --config build/release/CPackConfig.cmake -B build/release/package >/dev/null
	@cp build/release/package/*.deb .
	@echo "make package: $$(cd build/release/package && ls *.deb)"

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	@rm -rf build dtuconfig_*.deb
