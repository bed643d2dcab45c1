# Thin wrapper around CMake: `make run` shows the sample log, `make test` runs every test,
# `make bench` measures the display on large generated logs (BENCH_SIZES=10M for a quick run).
# Reliability checks: `make fuzz` (FUZZ_SECONDS per target), `make memcheck`, `make coverage`.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

FUZZ_SECONDS ?= 60

.PHONY: all build run test bench fuzz memcheck coverage clean

all: build

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/jobview examples/sample.log

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Release build in its own directory; logs outside the repository (BENCH_DIR).
bench:
	bench/run.sh

fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh

memcheck: build
	scripts/memcheck.sh $(BUILD)/jobview

coverage:
	scripts/coverage.sh

clean:
	rm -rf $(BUILD)

# --- Install, Debian package and device builds -------------------------------
# `make install PREFIX=/usr DESTDIR=/tmp/root` (without PREFIX: the configured
# CMAKE_INSTALL_PREFIX, /usr/local by default), `make package` (a .deb in
# $(BUILD)/), `make cross-test` (static armhf binary, end-to-end suite under
# qemu-user; CROSS_ARCH=aarch64 for the 64-bit devices).
PREFIX ?=
DESTDIR ?=
CROSS_ARCH ?= armhf
CROSS_BUILD ?= build-$(CROSS_ARCH)

.PHONY: install install-strip package cross-build cross-test cross-package size

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)")

install-strip: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)") --strip

package: build
	cd $(BUILD) && cpack -G DEB

cross-build:
	cmake -S . -B $(CROSS_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchains/$(CROSS_ARCH).cmake \
	  -DJOBVIEW_STATIC=ON -DJOBVIEW_TESTS=OFF -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(CROSS_BUILD) -j $(JOBS)

cross-test: cross-build
	bash scripts/cross_test.sh $(CROSS_ARCH) $(CROSS_BUILD)/jobview

# A .deb for the devices (architecture armhf or arm64, no dependencies).
cross-package: cross-build
	cd $(CROSS_BUILD) && cpack -G DEB

# Stripped sizes of the native binary and, when it has been built, the device one.
size: build
	bash scripts/size.sh $(BUILD)/jobview $(wildcard $(CROSS_BUILD)/jobview)
