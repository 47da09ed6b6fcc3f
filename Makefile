# The two set-up commands of the README: `make run` and `make test`.
JOBS ?= $(shell nproc)
PRESET ?= default

.PHONY: all deps configure build test run bench fuzz format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j$(JOBS)

test: build
	@ctest --preset $(PRESET) -j$(JOBS)

run: build
	@scripts/run-demo build/$(PRESET)

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	@rm -rf build
