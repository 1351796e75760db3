# Thin entry points around CMake presets. `make run` and `make test` install missing
# Debian packages first, so both work on a fresh Debian 12 machine.
SAMPLE ?= samples/fingerprint.wsq
FUZZ_SECONDS ?= 60
PREFIX ?= $(HOME)/.local

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

# Installs into PREFIX (default ~/.local: this user only, nothing outside the home touched):
#   lib/      libridgeview-wsq.so with its SONAME links, lib/pkgconfig/ridgeview-wsq.pc,
#             lib/cmake/RidgeviewWsq/ (find_package)
#   include/  ridgeview/wsq.h
#   bin/      ridgeview (the viewer) and ridgeview-wsq
# then the viewer's desktop entry and the WSQ MIME type into PREFIX/share (for the default
# PREFIX, the user's data folder, as the viewer's first start does). Components installed by
# their own tools (the Python module) add their step at the end of this recipe.
install: build
	cmake --install build --prefix "$(PREFIX)"
	$(if $(filter $(HOME)/.local,$(PREFIX)),,XDG_DATA_HOME="$(PREFIX)/share") \
	  build/bin/ridgeview-install-desktop "$(PREFIX)/bin/ridgeview"

clean:
	rm -rf build build-asan build-fuzz build-bench

# The Python package ridgeview_wsq, as part of `make install`. For the default PREFIX (the
# user base of /usr/bin/python3, ~/.local) it goes into that interpreter's user site,
# ~/.local/lib/python3.11/site-packages, where it is found without settings; for another
# PREFIX into PREFIX/lib/python3/dist-packages (searched by Debian's python3 for
# PREFIX=/usr/local; elsewhere add it to PYTHONPATH). The extension finds libridgeview-wsq
# in PREFIX/lib through an RPATH relative to its own folder.
PYTHON := /usr/bin/python3
PYTHON_USER_BASE = $(shell $(PYTHON) -m site --user-base)
PYTHON_USER_SITE = $(shell $(PYTHON) -c \
  'import os, site; print(os.path.relpath(site.getusersitepackages(), site.getuserbase()))')
PYTHON_INSTALL_DIR = $(strip $(if $(filter $(abspath $(PYTHON_USER_BASE)),$(abspath $(PREFIX))), \
  $(PYTHON_USER_SITE), lib/python3/dist-packages))

.PHONY: install-python
install-python: build
	cmake --preset default -DRIDGEVIEW_PYTHON_INSTALL_DIR=$(PYTHON_INSTALL_DIR) >/dev/null
	cmake --build --preset default --target ridgeview_wsq_python
	cmake --install build --component python --prefix "$(PREFIX)"

install: install-python
