# Thin wrapper over CMake: every target installs what is missing, then configures and builds.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build demo unit test device-check asan tsan memcheck fuzz fuzz-check bench clean \
	format format-check

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The library, the tool and the example alone: the show needs nothing of the suite. What
# installing and building print goes to a log, shown only when they fail.
DEMO_LOG = $(BUILD_DIR)/demo-build.log
demo:
	@mkdir -p $(BUILD_DIR)
	@echo "Building the library, plumix-log and the example; the build's output is in $(DEMO_LOG)"
	@{ ./scripts/install-deps.sh && \
		cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo && \
		cmake --build $(BUILD_DIR) -j $(JOBS) --target plumix_log plumix-log plumix_log_example; \
	} > $(DEMO_LOG) 2>&1 || { tail -n 40 $(DEMO_LOG); exit 1; }
	@./scripts/demo.sh $(BUILD_DIR)

# The plain suite alone: the quick check while working.
unit: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# What CI proves: the plain suite, what a workstation can check of the device build (32-bit
# build and suite in build-m32/), the same suite under AddressSanitizer with
# UndefinedBehaviorSanitizer (build-asan/), ThreadSanitizer (build-tsan/) and Valgrind's memcheck
# (build-memcheck/), and a short fuzz run from the seed corpus (build-fuzz/).
test: unit device-check asan tsan memcheck fuzz-check

device-check: deps
	JOBS=$(JOBS) ./scripts/device-check.sh

asan: deps
	JOBS=$(JOBS) ./scripts/sanitize.sh address

tsan: deps
	JOBS=$(JOBS) ./scripts/sanitize.sh thread

memcheck: deps
	JOBS=$(JOBS) ./scripts/memcheck.sh

# make fuzz FUZZ_SECONDS=3600 fuzzes longer; what it finds stays in build-fuzz/corpus.
FUZZ_SECONDS ?= 300
fuzz: deps
	JOBS=$(JOBS) ./scripts/fuzz.sh $(FUZZ_SECONDS)

fuzz-check: deps
	JOBS=$(JOBS) ./scripts/fuzz.sh

# Release at -O2 in a directory of its own. Many short repetitions, interleaved, so that the
# machine's drift hits every row alike; bench/report.py prints the medians and the goal ratios.
BENCH_DIR ?= build-bench
BENCH_FLAGS ?= --benchmark_repetitions=30 --benchmark_min_time=0.1 \
	--benchmark_enable_random_interleaving=true

# The rows run again through the property area's serials, as on a device, with the peer and the
# floor their goals compare with.
SERIAL_ROWS = ^BM_(LibraryWritten|MacroWritten(Literal)?|MacroDropped(Module|Threshold)(Literal|String)?|FloorRememberedVerdict|PeerLibbaseLogDropped)/real_time$$

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
		-DPLUMIX_LOG_BUILD_BENCH=ON -DPLUMIX_LOG_BUILD_TESTS=OFF
	cmake --build $(BENCH_DIR) -j $(JOBS) --target plumix_log_bench plumix_log_serial_bench
	@echo "Running the benchmarks (about two and a half minutes); raw output in $(BENCH_DIR)/bench.txt"
	$(BENCH_DIR)/bench/plumix_log_bench $(BENCH_FLAGS) --benchmark_out_format=json \
		--benchmark_out=$(BENCH_DIR)/bench.json > $(BENCH_DIR)/bench.txt
	$(BENCH_DIR)/bench/plumix_log_serial_bench $(BENCH_FLAGS) --benchmark_filter='$(SERIAL_ROWS)' \
		--benchmark_out_format=json --benchmark_out=$(BENCH_DIR)/bench-serial.json \
		>> $(BENCH_DIR)/bench.txt
	@python3 bench/report.py $(BENCH_DIR)/bench.json $(BENCH_DIR)/bench-serial.json

# Every build directory a target here makes, the scripts' included.
clean:
	rm -rf $(BUILD_DIR) build-m32 build-asan build-tsan build-memcheck build-fuzz $(BENCH_DIR)

# Every C++ source of the tree; a build directory below these folders is skipped.
CXX_FILES = $(shell find include src testing tools tests bench examples -type d -name 'build*' -prune -o -type f \
	\( -name '*.h' -o -name '*.cc' -o -name '*.cpp' \) -print 2>/dev/null)

format-check: deps
	clang-format --dry-run --Werror $(CXX_FILES)

format: deps
	clang-format -i $(CXX_FILES)
