# Thin wrappers over CMake. `make run` and `make test` install what is missing first.
BUILD    ?= build
TYPE     ?= RelWithDebInfo
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
PACKAGES := cmake ninja-build g++ make pkg-config qt6-base-dev qt6-base-dev-tools \
            qt6-webengine-dev qt6-webengine-dev-tools qt6-svg-dev libqt6svg6 qt6-image-formats-plugins \
            libsqlite3-dev libbenchmark-dev libgl-dev xvfb xauth fonts-dejavu-core \
            dpkg-dev file desktop-file-utils appstream at-spi2-core dbus-daemon dbus-bin \
            libpsl-dev webext-ublock-origin-chromium \
            xdg-utils xdotool
WERROR   := $(if $(CI),ON,OFF)
FUZZ_BUILD    ?= build-fuzz
FUZZ_SECONDS  ?= 60
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZERS       := bookmarkfile urlfile storedvalue
ASAN_BUILD    ?= build-asan
SANITIZE      := -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all

.PHONY: all deps configure build run test test-asan bench fuzz install package clean

all: build

# $(call install-missing,PACKAGES): apt-get installs those not installed yet.
define install-missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    if [ "$$(id -u)" != 0 ]; then echo "Run as root to install Debian packages:" $$missing; exit 1; fi; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install-missing,$(PACKAGES))

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE) -DHARBROW_WERROR=$(WERROR)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) --parallel $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display found: to try Harbrow headless, run 'xvfb-run make run'."; exit 1; fi
	@if [ "$$(id -u)" = 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi; ./$(BUILD)/harbrow

test: build
	cd $(BUILD) && ctest --output-on-failure --parallel $(JOBS) --timeout 600

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer, stopping at the first report.
# The web engine frees some objects through a base of another size inside its own library
# (not built with the sanitizers), so the sized-delete check is off; all others are on.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHARBROW_WERROR=$(WERROR) \
	    -DCMAKE_CXX_FLAGS="$(SANITIZE)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)"
	cmake --build $(ASAN_BUILD) --parallel $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:new_delete_type_mismatch=0 \
	    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
	    ctest --output-on-failure --parallel $(JOBS) --timeout 900 -E package_check

bench: build
	@if [ "$$(id -u)" = 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi; \
	for b in $(BUILD)/bench/bench_*; do \
	    [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	    "$$b" || exit 1; \
	done

# Each fuzzer runs FUZZ_SECONDS; new inputs it finds go to $(FUZZ_BUILD)/corpus, the
# seeds in fuzz/corpus stay as they are, and a crash leaves its input in $(FUZZ_BUILD).
fuzz: deps
	$(call install-missing,$(FUZZ_PACKAGES))
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) --parallel $(JOBS) --target harbrow_fuzzers
	@for f in $(FUZZERS); do \
	    mkdir -p $(FUZZ_BUILD)/corpus/$$f && \
	    ./$(FUZZ_BUILD)/fuzz/fuzz_$$f -max_total_time=$(FUZZ_SECONDS) -dict=fuzz/$$f.dict \
	        -artifact_prefix=$(FUZZ_BUILD)/$$f- $(FUZZ_BUILD)/corpus/$$f fuzz/corpus/$$f || exit 1; \
	done

install: build
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

package: build
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
