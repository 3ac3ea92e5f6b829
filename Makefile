# Two entry points: `make run` and `make test`; a bare `make` builds. Each
# installs what the build needs on a Debian 12 machine first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test format asan clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/Dazozuvi

test: build
	@bash scripts/check-format.sh
	@bash scripts/run-fuzzers.sh $(FUZZ_SECONDS)
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Sanitizer build in its own folder: make asan
asan:
	$(MAKE) test BUILD_DIR=build-asan CMAKE_FLAGS="-DZIDIVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug" FUZZ_SECONDS=0

format:
	@bash scripts/check-format.sh --fix

clean:
	rm -rf $(BUILD_DIR) build-asan build-fuzz
