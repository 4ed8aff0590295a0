# Orvane's commands. `make run` builds and starts the program; `make test` builds the debug
# build with the sanitizers and runs every test. Both install what they need first.

RELEASE_DIR ?= build/release
TEST_DIR    ?= build/test
JOBS        ?= $(shell nproc)

# Debian packages the build and the tests need.
DEB_PACKAGES = cmake g++ make pkg-config qt6-base-dev libgl-dev libpng-dev libglib2.0-dev \
               libgtest-dev googletest libjpeg62-turbo-dev qt6-image-formats-plugins \
               xvfb xauth xdotool x11-utils imagemagick fonts-noto-cjk clang libclang-rt-14-dev \
               python3 dbus-x11

SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build run test bench clean

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

run: deps build
	cd $(RELEASE_DIR)/bin && ./orvane $(ARGS)

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DORVANE_TESTS=ON -DORVANE_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf build

# Fuzzes the PNG plug-in's decoder with libFuzzer (clang) for FUZZ_TIME seconds in its own build
# folder; the corpus grows in $(FUZZ_DIR)/corpus and crashing inputs land in $(FUZZ_DIR)/crashes.
FUZZ_DIR  ?= build/fuzz
FUZZ_TIME ?= 600

.PHONY: fuzz
fuzz: deps
	cmake -S fuzz -B $(FUZZ_DIR) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/seeds $(FUZZ_DIR)/crashes
	$(FUZZ_DIR)/make_seeds $(FUZZ_DIR)/seeds
	$(FUZZ_DIR)/ifpng_fuzzer -max_total_time=$(FUZZ_TIME) -timeout=10 -rss_limit_mb=2048 \
	  -artifact_prefix=$(FUZZ_DIR)/crashes/ $(FUZZ_DIR)/corpus $(FUZZ_DIR)/seeds
