# Velmora: `make test` builds everything and runs every test; `make run` shows the screen saver;
# `make install` installs the Linux hack for XScreenSaver.
NATIVE  := build/native
WINDOWS := build/windows
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

.PHONY: all deps native windows build test run dist install uninstall clean

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

build: native windows

test: build
	@ctest --test-dir $(NATIVE) --output-on-failure
	@ctest --test-dir $(WINDOWS) --output-on-failure

run: windows
	@sh tools/run-saver.sh $(WINDOWS)/bin

dist: windows
	@mkdir -p $(DIST)
	@cp $(WINDOWS)/bin/Velmora.dll $(DIST)/
	@if [ -f $(WINDOWS)/bin/Velmora.scr ]; then cp $(WINDOWS)/bin/Velmora.scr $(DIST)/; fi
	@echo "programs in $(DIST)/: $$(ls $(DIST) | tr '\n' ' ')"

install: native
	@$(INSTALL_PLACES) sh tools/install-hack.sh $(NATIVE)/bin/velmora renderer/host/velmora.xml

uninstall:
	@$(INSTALL_PLACES) sh tools/install-hack.sh --uninstall

clean:
	rm -rf build $(DIST) out
