# Velmora: `make test` builds everything and runs every test; `make run` shows the screen saver;
# `make install` installs the Linux hack for XScreenSaver.
NATIVE  := build/native
WINDOWS := build/windows
SANITIZE := build/sanitize
FUZZ    := build/fuzz
FUZZ_SECONDS ?= 60
DIST    := dist
CMAKE_FLAGS := -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Where `make install` puts the Linux hack; HACKDIR and CONFDIR are where Debian's
# XScreenSaver looks for hacks and for their settings files.
PREFIX  ?= /usr/local
BINDIR  ?= $(PREFIX)/bin
HACKDIR ?= /usr/libexec/xscreensaver
CONFDIR ?= /usr/share/xscreensaver/config
INSTALL_PLACES = DESTDIR="$(DESTDIR)" PREFIX="$(PREFIX)" BINDIR="$(BINDIR)" \
    HACKDIR="$(HACKDIR)" CONFDIR="$(CONFDIR)"

.PHONY: all deps native windows sanitize build test fuzz run dist install uninstall clean

all: build

deps:
	@sh tools/install-deps.sh

native: deps
	@cmake -S . -B $(NATIVE) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(NATIVE)

windows: deps
	@cmake -S . -B $(WINDOWS) $(CMAKE_FLAGS) \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake >/dev/null
	@cmake --build $(WINDOWS)

# The unit tests once more under AddressSanitizer and UBSan (only their targets are built).
sanitize: deps
	@cmake -S . -B $(SANITIZE) $(CMAKE_FLAGS) -DVELMORA_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE) --target velmora_unit_tests

build: native windows

# End-to-end scenarios drive real programs on a virtual display and a sound server, some
# against a clock (Esc ends a run within 2 s): one that fails is run once more, so a passing
# hiccup of the machine is told apart from a fault, which fails both times.
E2E_RETRY := --repeat until-pass:2

test: build sanitize
	@ctest --test-dir $(NATIVE) --output-on-failure $(E2E_RETRY)
	@ctest --test-dir $(SANITIZE) -L unit --output-on-failure
	@ctest --test-dir $(WINDOWS) --output-on-failure $(E2E_RETRY)

# Any byte string as a texture program, for FUZZ_SECONDS, under ASan and UBSan (clang).
# Up to 64 bytes (7 steps): every step costs a full pass, and short programs already hold
# every kind of bad step; this finds a wrong layer bound within a minute.
FUZZ_FLAGS := -std=c++17 -O1 -g -Wall -Wextra -Werror -ffp-contract=off \
    -fsanitize=fuzzer,address,undefined,float-cast-overflow -fno-sanitize-recover=all
FUZZ_SOURCES := tests/fuzz/texture_program_fuzz.cpp renderer/textures/texture_generator.cpp \
    renderer/textures/texture_random.cpp

fuzz: deps
	@mkdir -p $(FUZZ)/corpus
	@clang++ $(FUZZ_FLAGS) -Irenderer $(FUZZ_SOURCES) -o $(FUZZ)/texture_program_fuzz
	@$(FUZZ)/texture_program_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=64 \
	    -print_final_stats=1 $(FUZZ)/corpus tests/fuzz/corpus

run: windows
	@sh tools/run-saver.sh $(WINDOWS)/bin

dist: windows
	@mkdir -p $(DIST)
	@cp $(WINDOWS)/bin/Velmora.dll $(DIST)/
	@if [ -f $(WINDOWS)/bin/Velmora.scr ]; then cp $(WINDOWS)/bin/Velmora.scr $(DIST)/; fi
	@echo "programs in $(DIST)/: $$(ls $(DIST) | tr '\n' ' ')"

install: native
	@$(INSTALL_PLACES) sh tools/install-hack.sh $(NATIVE)/bin/velmora renderer/host/x11/velmora.xml

uninstall:
	@$(INSTALL_PLACES) sh tools/install-hack.sh --uninstall

clean:
	rm -rf build $(DIST) out
