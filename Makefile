# SPDX-License-Identifier: GPL-2.0-or-later
# Entry points for a fresh Debian 12 machine, run as root or with sudo:
#   make run      installs what is missing, builds into build/ and starts the program
#                 in build/run, where its File / Save and File / Open work
#   make test     installs what is missing, builds and runs every test through CTest
#   make package  installs what is missing, builds and makes build/kezcfg_*.deb and
#                 build/kez-server-config_*.deb
#   make repo     the same packages in a signed apt repository, build/repo/

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# Building needs Qt, CMake and Ninja (and clang with its libFuzzer runtime for
# make fuzz); the fonts give the fixed layout the
# Arial/Helvetica metrics it was drawn for; the end-to-end tests drive the real
# program under Xvfb with xdotool, read window geometry with xwininfo and
# xprop, and run openbox where a window frame matters. The
# Debian package needs dpkg-dev (dpkg-shlibdeps computes its dependencies) and
# file (cpack finds the programs to inspect with it); its menu entry, metadata
# and manual page are checked with desktop-file-utils, appstream and
# groff-base, and the package with lintian; the fleet example runs with
# ansible-core; strace kills kezcfg apply at each of its writes in the test of
# interrupted applies. The tests and the benchmark write zip archives with
# libzip (found with pkgconf); the programs read them without it. The
# accessibility test reads the window as a screen reader does, over the
# accessibility bus of at-spi2-core on a D-Bus session of its own (dbus), with
# python3-pyatspi.
RUN_PACKAGES := g++ cmake ninja-build qt6-base-dev fonts-liberation2
PACKAGES := $(RUN_PACKAGES) pkgconf libzip-dev clang libclang-rt-14-dev xvfb xauth xdotool x11-utils libx11-dev openbox \
            dpkg-dev file desktop-file-utils appstream groff-base lintian ansible-core strace \
            at-spi2-core dbus python3-pyatspi
# make repo makes and signs the apt repository with reprepro and gpg; the
# package test installs from it into a minimal Debian made with mmdebstrap.
PACKAGES += reprepro gpg mmdebstrap

.PHONY: all deps deps-run configure build build-program run test test-sanitize fuzz bench package repo clean

all: build

# make run installs only what building and running need; everything else
# (tests, fuzzing, packaging) installs the rest too.
deps-run:
	@$(MAKE) --no-print-directory deps PACKAGES="$(RUN_PACKAGES)"

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing missing packages:" $$missing; \
	    $(SUDO) apt-get update && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

# Configured every time: tools installed since the last run (make run
# installs fewer) bring in the tests that need them.
configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR)

build-program: deps-run
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) --target kez-server-config

# The program works on the files of the folder it starts in: started in a
# folder of its own in the build tree, a File / Save leaves nothing in the
# checkout.
RUN_DIR ?= $(BUILD_DIR)/run

run: build-program
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "kez-server-config needs a graphical display: run it from a desktop session, or set DISPLAY (for example with xvfb-run make run)."; \
	    exit 1; \
	fi
	mkdir -p $(RUN_DIR)
	cd $(RUN_DIR) && $(abspath $(BUILD_DIR))/kez-server-config

# Every test at once on the machine's cores: each end-to-end test runs on a
# display server of its own. `ctest -L unit` (or e2e, package, fuzz) in
# $(BUILD_DIR) runs one kind alone.
test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $$(nproc)

# The whole suite again in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer; any finding fails the run.
export ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS ?= suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

test-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

# File / Open, the line rules of server.cfg alone, the directories of the
# game's archives, a game server's status answer and kezcfg apply's reading
# of a rotation under clang's libFuzzer with the sanitizers, from the seed
# corpus in tests/fuzz/corpus,
# for FUZZ_SECONDS each; any finding fails the run and leaves the input in
# $(FUZZ_DIR)/ (commit it to tests/fuzz/regressions/). Inputs reach past
# the 1 MiB that Open reads of server.cfg.
FUZZ_DIR := build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_MAX_LEN ?= 1100000

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	@# Absolute paths: the harness makes a scratch folder the working directory.
	for target in fuzz_open fuzz_lines fuzz_archives fuzz_status fuzz_rotation; do \
	    mkdir -p $(FUZZ_DIR)/corpus-$$target && \
	    $(abspath $(FUZZ_DIR))/tests/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 \
	        -max_len=$(FUZZ_MAX_LEN) -artifact_prefix=$(abspath $(FUZZ_DIR))/$$target- \
	        $(abspath $(FUZZ_DIR))/corpus-$$target $(CURDIR)/tests/fuzz/corpus $(CURDIR)/tests/fuzz/regressions \
	        || exit 1; \
	done

# Benchmarks print one table of medians; they need a display, so a private
# Xvfb server is used when there is none.
bench: build
	@if [ -n "$$DISPLAY" ]; then $(BUILD_DIR)/bench/kez-bench; \
	else xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" $(BUILD_DIR)/bench/kez-bench; fi

# Built at the date of the last commit, so that the same sources always give
# the same package.
package: build
	rm -f $(BUILD_DIR)/*.deb
	SOURCE_DATE_EPOCH=$${SOURCE_DATE_EPOCH:-$$(git log -1 --format=%ct 2>/dev/null || echo 0)} \
	    cmake --build $(BUILD_DIR) --target package

# The packages in an apt repository made with reprepro and signed, ready to
# publish as it is on a web server. Signed with the gpg key REPO_KEY
# (a fingerprint in ~/.gnupg, or GNUPGHOME); without it, with a throwaway key
# kept in $(BUILD_DIR)/repo-gnupg, for tests.
REPO_DIR ?= $(BUILD_DIR)/repo
REPO_KEY ?=

repo: package
	REPO_KEY="$(REPO_KEY)" $(if $(REPO_KEY),,GNUPGHOME="$(abspath $(BUILD_DIR))/repo-gnupg") \
	    scripts/make-repo.sh $(REPO_DIR) $(BUILD_DIR)/kezcfg_*.deb $(BUILD_DIR)/kez-server-config_*.deb

clean:
	rm -rf $(BUILD_DIR)
