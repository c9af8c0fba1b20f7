# Thin wrappers over CMake. `make run` and `make test` install what is missing first.
BUILD    ?= build
TYPE     ?= RelWithDebInfo
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
PACKAGES := cmake ninja-build g++ make pkg-config qt6-base-dev qt6-base-dev-tools \
            qt6-webengine-dev qt6-webengine-dev-tools qt6-svg-dev libqt6svg6 qt6-image-formats-plugins \
            libsqlite3-dev libbenchmark-dev libgl-dev xvfb xauth fonts-dejavu-core
WERROR   := $(if $(CI),ON,OFF)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    if [ "$$(id -u)" != 0 ]; then echo "Run as root to install Debian packages:" $$missing; exit 1; fi; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi

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

bench: build
	@for b in $(BUILD)/bench/bench_*; do \
	    [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	    "$$b" || exit 1; \
	done

clean:
	rm -rf $(BUILD)
