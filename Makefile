# Velmora: `make test` builds everything and runs every test; `make check` only the unit tests
# of the three trees, for the edit-compile-test loop; `make run` shows the screen saver;
# `make dist` makes the packages users install; `make install` installs the Linux hack for
# XScreenSaver.
NATIVE  := build/native
WINDOWS := build/windows
SANITIZE := build/sanitize
FUZZ    := build/fuzz
FUZZ_SECONDS ?= 60
DIST    := dist

# Where `make install` puts the Linux hack: the program in HACKDIR and CONFDIR its settings
# file, where Debian's XScreenSaver looks for hacks and for their settings files; a link to
# the program in $(PREFIX)/bin, its manual page in $(PREFIX)/share/man. DESTDIR, if given, is
# put before all of them.
PREFIX  ?= /usr/local
HACKDIR ?= /usr/libexec/xscreensaver
CONFDIR ?= /usr/share/xscreensaver/config

.PHONY: all deps native windows sanitize build test check fuzz run dist install uninstall clean

all: build

deps:
	@sh tools/install-deps.sh

# Each tree is configured once from its preset in CMakePresets.json (again only when the
# presets change); from then on ninja re-runs CMake itself when a CMakeLists.txt changes.
build/%/build.ninja: CMakePresets.json | deps
	@cmake --preset $*

native: deps $(NATIVE)/build.ninja
	@cmake --build --preset native

# The programs, and the unit tests that CTest runs under Wine.
windows: deps $(WINDOWS)/build.ninja
	@cmake --build --preset windows

# The unit tests once more under AddressSanitizer and UBSan (only their targets are built).
sanitize: deps $(SANITIZE)/build.ninja
	@cmake --build --preset sanitize

build: native windows

# Tests run side by side, one per core; the Wine scenarios each in a test slot of their own
# that CTest hands out from the tree's test-resources.json.
JOBS ?= $(shell nproc)

# The unit tests alone, native, sanitized and under Wine: no display, no end-to-end scenario.
check: build sanitize
	@ctest --test-dir $(NATIVE) -L unit --output-on-failure -j $(JOBS)
	@ctest --test-dir $(SANITIZE) -L unit --output-on-failure -j $(JOBS)
	@ctest --test-dir $(WINDOWS) -L unit --output-on-failure -j $(JOBS)

test: build sanitize
	@ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS)
	@ctest --test-dir $(SANITIZE) -L unit --output-on-failure -j $(JOBS)
	@ctest --test-dir $(WINDOWS) --output-on-failure -j $(JOBS) \
	    --resource-spec-file $(abspath $(WINDOWS))/test-resources.json

# Any byte string as a texture program, for FUZZ_SECONDS, under ASan and UBSan (clang).
# Up to 64 bytes (7 steps): every step costs a full pass, and short programs already hold
# every kind of bad step; this finds a wrong layer bound within a minute.
fuzz: deps $(FUZZ)/build.ninja
	@cmake --build --preset fuzz
	@mkdir -p $(FUZZ)/corpus
	@$(FUZZ)/bin/texture_program_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=64 \
	    -print_final_stats=1 $(FUZZ)/corpus tests/fuzz/corpus

run: windows
	@sh tools/run-saver.sh $(WINDOWS)/bin

# What users install, made by CPack in each tree (CPackConfig.cmake, from
# cmake/VelmoraPackage.cmake): $(DIST)/Velmora-<version>-windows-x64.zip, the two programs
# without debug information and a read-me; $(DIST)/velmora_<version>_amd64.deb, the Linux hack.
dist: native windows
	@mkdir -p $(DIST)
	@for tree in $(WINDOWS) $(NATIVE); do \
	    (cd $$tree && cpack -D CPACK_OUTPUT_FILE_PREFIX="$(abspath $(DIST))" >cpack.log 2>&1) || \
	        { cat $$tree/cpack.log; exit 1; }; \
	    sed -n 's|^CPack: - package: \(.*\) generated\.$$|\1|p' $$tree/cpack.log; \
	done

# The places given apply to this install alone: afterwards the tree is set back to its
# defaults, so that the Debian package (and its tests) keep Debian's places.
install: native
	@cmake -DCMAKE_INSTALL_PREFIX="$(PREFIX)" -DVELMORA_HACKDIR="$(HACKDIR)" \
	    -DVELMORA_CONFDIR="$(CONFDIR)" $(NATIVE) >/dev/null
	@DESTDIR="$(DESTDIR)" cmake --install $(NATIVE); status=$$?; \
	    cmake -UCMAKE_INSTALL_PREFIX -UVELMORA_HACKDIR -UVELMORA_CONFDIR $(NATIVE) >/dev/null; \
	    exit $$status

# Takes away what the last `make install` put in place: CMake lists it, without DESTDIR, in
# install_manifest.txt.
uninstall:
	@if [ -f $(NATIVE)/install_manifest.txt ]; then \
	    sed 's|^|$(DESTDIR)|' $(NATIVE)/install_manifest.txt | xargs -r -d '\n' rm -fv -- && \
	    rm $(NATIVE)/install_manifest.txt; fi

clean:
	rm -rf build $(DIST) out
