# The two commands a new user types: `make run` and `make test`. Both install what is missing first.
PRESET ?= dev
JOBS ?= $(shell nproc)
BIN := build/$(PRESET)/bin
ARGS ?=

.PHONY: deps configure build run test bench clean

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

run: build
	@scripts/run-sample $(BIN) $(ARGS)

test: build
	@ctest --preset $(PRESET) -j $(JOBS)

bench:
	@$(MAKE) --no-print-directory build PRESET=release
	@scripts/run-benchmarks build/release/bin

clean:
	rm -rf build
