# Thin entry points around CMake presets. `make run` and `make test` install missing
# Debian packages first, so both work on a fresh Debian 12 machine.
SAMPLE ?= samples/fingerprint.wsq
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test test-default test-asan bench fuzz install clean

all: build

deps:
	@scripts/install-deps all

build:
	@scripts/install-deps build
	cmake --preset default
	cmake --build --preset default

run: build
	@scripts/run-viewer $(SAMPLE)

test-default:
	@scripts/install-deps test
	cmake --preset default
	cmake --build --preset default
	ctest --preset default

test-asan:
	@scripts/install-deps test
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

test: test-default test-asan

bench:
	@scripts/install-deps bench
	cmake --preset bench
	cmake --build --preset bench
	build-bench/bin/ridgeview-bench

fuzz:
	@scripts/install-deps test
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/run-fuzzers $(FUZZ_SECONDS)

# Installs the viewer for this user only: the executable into ~/.local/bin, then its desktop
# entry and the WSQ MIME type into ~/.local/share. Nothing outside the home is touched.
install: build
	install -D -m 755 build/bin/ridgeview "$(HOME)/.local/bin/ridgeview"
	build/bin/ridgeview-install-desktop "$(HOME)/.local/bin/ridgeview"

clean:
	rm -rf build build-asan build-fuzz build-bench
