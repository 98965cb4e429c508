# Thin wrapper over CMake: every target installs what is missing, then configures and builds.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build demo test clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

demo: build
	@./scripts/demo.sh $(BUILD_DIR)/tools/plumix-log

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
