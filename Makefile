# Orvane's commands. `make run` builds and starts the program; `make test` builds the debug
# build with the sanitizers and runs every test. Both install what they need first.

RELEASE_DIR ?= build/release
TEST_DIR    ?= build/test
JOBS        ?= $(shell nproc)

# Debian packages the build and the tests need.
DEB_PACKAGES = cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libpng-dev libglib2.0-dev \
               libgtest-dev googletest libjpeg62-turbo-dev qt6-image-formats-plugins \
               xvfb xauth xdotool x11-utils imagemagick fonts-noto-cjk clang libclang-rt-14-dev \
               python3 dbus-x11 fonts-dejavu-core libxkbcommon-dev libxkbcommon-x11-dev \
               libxcb-xkb-dev x11-xkb-utils libxtst6 libxdamage1
# A window manager for the end-to-end case of the title bar at 1.5x.
DEB_PACKAGES += openbox
# Qt's own texts in Japanese, the interface font's fallback lookup, the desktop files' validators.
DEB_PACKAGES += qt6-translations-l10n libfontconfig-dev desktop-file-utils appstream
# HEIC/HEIF/AVIF (libheif1 brings the HEVC and AV1 codecs), camera RAW, colour profiles, WebP
# reduced as it decodes, CMYK TIFF, a press profile for CMYK pictures that carry none
# (Ghostscript's default_cmyk.icc), and the orientation in a WebP file's EXIF chunk.
DEB_PACKAGES += libheif-dev libraw-dev liblcms2-dev zlib1g-dev libwebp-dev libtiff-dev libgs-common \
                libexif-dev

SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build run install uninstall test tsan bench clean fuzz

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q --no-install-recommends $$missing; \
	fi

build:
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_DIR) -j $(JOBS)

# Starts Orvane on a demo folder it makes (build/demo), with a first page whose slots point at
# demo destination folders; without a display the demo runs under Xvfb and says what happened.
# With ARGS (a file or folder) it starts the built program on that instead.
run: deps build
ifeq ($(strip $(ARGS)),)
	python3 tools/demo.py --program-dir $(RELEASE_DIR)/bin --out build/demo
else
	cd $(RELEASE_DIR)/bin && ./orvane $(abspath $(ARGS))
endif

# Installs the program folder as it runs in place under $(PREFIX)/opt/orvane, a launcher in
# $(PREFIX)/bin, and in $(PREFIX)/share the desktop entry (opens images; never claims folders), the icons
# and the AppStream metainfo. Configuration is kept in the program folder's config/, created at
# the first start.
PREFIX       ?= $(HOME)/.local
APPDIR       ?= $(PREFIX)/opt/orvane
BINDIR       ?= $(PREFIX)/bin
DATADIR      ?= $(PREFIX)/share
APP_ID        = org.orvane.Orvane
ICON_SIZES    = 16 24 32 48 64 128 256
ICONDIR       = $(DATADIR)/icons/hicolor

install: build
	install -d $(APPDIR)/dll $(BINDIR) $(DATADIR)/applications $(DATADIR)/metainfo $(ICONDIR)/scalable/apps
	install -m 755 $(RELEASE_DIR)/bin/orvane $(APPDIR)/orvane
	install -m 644 $(RELEASE_DIR)/bin/dll/ifPNG.spi $(APPDIR)/dll/ifPNG.spi
	printf '#!/bin/sh\nexec "%s/orvane" "$$@"\n' "$(APPDIR)" > $(BINDIR)/orvane
	chmod 755 $(BINDIR)/orvane
	sed 's|@BINDIR@|$(BINDIR)|g' data/$(APP_ID).desktop.in > $(DATADIR)/applications/$(APP_ID).desktop
	install -m 644 data/$(APP_ID).metainfo.xml $(DATADIR)/metainfo/$(APP_ID).metainfo.xml
	install -m 644 data/icons/orvane.svg $(ICONDIR)/scalable/apps/$(APP_ID).svg
	for s in $(ICON_SIZES); do \
	  install -D -m 644 data/icons/orvane-$$s.png $(ICONDIR)/$${s}x$${s}/apps/$(APP_ID).png; done
	@touch $(ICONDIR)
	@if command -v gtk-update-icon-cache >/dev/null && [ -f $(ICONDIR)/index.theme ]; then \
	  gtk-update-icon-cache -q $(ICONDIR); fi
	@if command -v update-desktop-database >/dev/null; then update-desktop-database $(DATADIR)/applications; fi
	@echo "Installed to $(APPDIR); start it with $(BINDIR)/orvane"

# Removes what install put in place (and the desktop entry of older installs); the
# configuration stays unless PURGE=1.
uninstall:
	rm -f $(BINDIR)/orvane $(APPDIR)/orvane $(APPDIR)/dll/ifPNG.spi
	rm -f $(DATADIR)/applications/$(APP_ID).desktop $(DATADIR)/applications/orvane.desktop
	rm -f $(DATADIR)/metainfo/$(APP_ID).metainfo.xml $(ICONDIR)/scalable/apps/$(APP_ID).svg
	for s in $(ICON_SIZES); do rm -f $(ICONDIR)/$${s}x$${s}/apps/$(APP_ID).png; done
	-rmdir $(APPDIR)/dll 2>/dev/null
	@if command -v update-desktop-database >/dev/null && [ -d $(DATADIR)/applications ]; then \
	  update-desktop-database $(DATADIR)/applications; fi
	@if [ "$(PURGE)" = 1 ]; then rm -rf $(APPDIR); else rmdir $(APPDIR) 2>/dev/null || \
	  echo "Kept your configuration in $(APPDIR)/config (make uninstall PURGE=1 removes it)"; fi

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DORVANE_TESTS=ON -DORVANE_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS)

# Builds the tests of core, platform, view, the plug-in and the folder listing with
# ThreadSanitizer in their own folder and runs them: the prefetcher's workers, the mount
# watcher and the listing thread against the threads that use them. Any report fails a test.
TSAN_DIR ?= build/tsan
# Single-threaded checks of decoding whose large smooth scalings Qt splits over its own thread
# pool: Qt's library is not built for ThreadSanitizer, so the pool's hand-over looks like a race
# to it. `make test` runs them; the decoders' threading is what the prefetcher's tests check here.
TSAN_SKIP = ReducedDecode\.|OtherFormats\.|Colour\.

tsan: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_TESTS=ON -DORVANE_SANITIZE=thread
	cmake --build $(TSAN_DIR) -j $(JOBS) --target orvane_tests
	cd $(TSAN_DIR) && ctest --output-on-failure -j $(JOBS) -E '$(TSAN_SKIP)'

# Measures Orvane against plain references (libjpeg-turbo, libpng, readdir, rename, cp) on
# generated pictures kept in $(BENCH_DATA) between runs, headless; prints one table of ratios.
BENCH_DIR  ?= build/bench
BENCH_DATA ?= build/bench-data

bench: deps
	cmake -S bench -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_DIR) -j $(JOBS) --target orvane_bench
	QT_QPA_PLATFORM=offscreen $(BENCH_DIR)/orvane_bench $(BENCH_DATA)

clean:
	rm -rf build

# Fuzzes with libFuzzer (clang), each target FUZZ_TIME seconds in turn, in its own build folder:
# ifpng (the PNG plug-in's decoder), jpegheader (the JPEG header reader), textfile (the
# configuration files' code page 932 / UTF-8 reader), settings (the settings' line parser and
# the options, renaming, page and folder line appliers), heif, raw, webp and tiff (the decoders of
# HEIF, RAW, WebP and CMYK TIFF files) and colour (the colour profile conversion).
# FUZZ_TARGET=jpegheader runs one.
# Each corpus grows in $(FUZZ_DIR)/corpus/<target>; crashing inputs land in $(FUZZ_DIR)/crashes.
# No single allocation may pass 512 MB (1100 MB for the format decoders, whose own bound is
# 1 GiB a picture).
FUZZ_DIR     ?= build/fuzz
FUZZ_TIME    ?= 600
FUZZ_TARGETS  = ifpng jpegheader textfile settings heif raw webp tiff colour
FUZZ_TARGET  ?= $(FUZZ_TARGETS)
FUZZ_SEEDS_ifpng      = $(FUZZ_DIR)/seeds/png tests/plugin/cases
FUZZ_SEEDS_jpegheader = $(FUZZ_DIR)/seeds/jpeg
FUZZ_SEEDS_textfile   = fuzz/seeds/config
FUZZ_SEEDS_settings   = fuzz/seeds/config
FUZZ_SEEDS_heif       = $(FUZZ_DIR)/seeds/formats/heif
FUZZ_SEEDS_raw        = $(FUZZ_DIR)/seeds/formats/raw
FUZZ_SEEDS_webp       = $(FUZZ_DIR)/seeds/formats/webp
FUZZ_SEEDS_tiff       = $(FUZZ_DIR)/seeds/formats/tiff
FUZZ_SEEDS_colour     = $(FUZZ_DIR)/seeds/formats/colour
FUZZ_MALLOC_heif      = 1100
FUZZ_MALLOC_raw       = 1100
FUZZ_MALLOC_webp      = 1100
FUZZ_MALLOC_tiff      = 1100
FUZZ_MALLOC_colour    = 1100

.PHONY: fuzz
fuzz: deps
	$(if $(filter-out $(FUZZ_TARGETS),$(FUZZ_TARGET)),$(error FUZZ_TARGET: one or more of $(FUZZ_TARGETS)))
	cmake -S fuzz -B $(FUZZ_DIR) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target make_seeds make_jpeg_seeds make_format_seeds $(addsuffix _fuzzer,$(FUZZ_TARGET))
	mkdir -p $(FUZZ_DIR)/seeds/png $(FUZZ_DIR)/seeds/jpeg $(FUZZ_DIR)/crashes $(addprefix $(FUZZ_DIR)/corpus/,$(FUZZ_TARGET))
	$(FUZZ_DIR)/make_seeds $(FUZZ_DIR)/seeds/png
	$(FUZZ_DIR)/make_jpeg_seeds $(FUZZ_DIR)/seeds/jpeg
	$(FUZZ_DIR)/make_format_seeds $(FUZZ_DIR)/seeds/formats
	$(foreach t,$(FUZZ_TARGET),LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp \
	  $(FUZZ_DIR)/$(t)_fuzzer -max_total_time=$(FUZZ_TIME) -timeout=10 \
	  -rss_limit_mb=4096 -malloc_limit_mb=$(or $(FUZZ_MALLOC_$(t)),512) -artifact_prefix=$(FUZZ_DIR)/crashes/$(t)- \
	  $(FUZZ_DIR)/corpus/$(t) $(FUZZ_SEEDS_$(t)) &&) true
