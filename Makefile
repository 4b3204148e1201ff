# The two commands a new user types: `make run` and `make test`. Both install what is missing first;
# only `make test` installs the Node clients that the remote tests drive.
PRESET ?= dev
JOBS ?= $(shell nproc)
BIN := build/$(PRESET)/bin
ARGS ?=

.PHONY: deps test-deps configure build run test test-threads bench fuzz package clean

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

# The server needs only itself and the engine module; the tests are built by `make test`. Run from
# make, the build counts as a sub-make and would print its directory between the build's lines
# and the server's.
run: configure
	@cmake --build --preset $(PRESET) -j $(JOBS) --target vexserver server -- --no-print-directory
	@scripts/run-sample $(BIN) $(ARGS)

# The Debian packages, then the Node clients of the remote tests.
test-deps:
	@scripts/install-deps --tests

test: test-deps build
	@ctest --preset $(PRESET) -j $(JOBS)

# The threaded parts (platform, session, engine module) under ThreadSanitizer, and the whole
# server with every thread busy at once. The hardening check and the packing of the Debian package
# are left out: they read every program, most of which this build does not make.
THREADED_TESTS := vex_platform_tests vex_session_tests vex_session_hang_tests vex_simengine_tests \
	vex_thread_stress_tests

test-threads: test-deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS) --target server $(THREADED_TESTS)
	@ctest --preset tsan -j $(JOBS) -E '_NOT_BUILT$$|^Hardening\.|^DebianPackage\.Packs$$'

bench:
	@$(MAKE) --no-print-directory build PRESET=release
	@scripts/run-benchmarks build/release/bin

# Every libFuzzer target for SECONDS each (clang, AddressSanitizer, UndefinedBehaviorSanitizer).
SECONDS ?= 60
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target vex_fuzzers
	@scripts/run-fuzzers $(SECONDS)

# The Debian package of an optimised build, in build/release: vexserver_VERSION_ARCH.deb. Only
# what the package holds is built, not the tests and benchmarks.
package: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS) --target vex_shipped
	@cd build/release && cpack

clean:
	rm -rf build
