# Top-level entry points. "make run" and "make test" are all a fresh machine needs.
BUILD_DIR   ?= build
SAN_DIR     ?= build-san
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE       ?= cmake
CTEST       ?= ctest

export ASAN_OPTIONS  ?= halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS ?= halt_on_error=1:print_stacktrace=1

.PHONY: all build run test test-release test-sanitize build-sanitize bench perft evalbench timebench clean

all: build

$(BUILD_DIR)/CMakeCache.txt:
	$(CMAKE) -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

build: $(BUILD_DIR)/CMakeCache.txt
	$(CMAKE) --build $(BUILD_DIR) -j $(JOBS) --target vessik

run: build
	cd run && ../$(BUILD_DIR)/vessik

test: test-release test-sanitize

test-release: $(BUILD_DIR)/CMakeCache.txt
	$(CMAKE) --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && $(CTEST) --output-on-failure -j $(JOBS)

$(SAN_DIR)/CMakeCache.txt:
	$(CMAKE) -S . -B $(SAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DVESSIK_SANITIZE=ON

build-sanitize: $(SAN_DIR)/CMakeCache.txt
	$(CMAKE) --build $(SAN_DIR) -j $(JOBS)

# The sanitizer run leaves out the tests labelled "slow" (perft to depth 5 and the like).
test-sanitize: build-sanitize
	cd $(SAN_DIR) && $(CTEST) --output-on-failure -j $(JOBS) -LE slow

bench: $(BUILD_DIR)/CMakeCache.txt
	$(CMAKE) --build $(BUILD_DIR) -j $(JOBS) --target vessik_bench
	./$(BUILD_DIR)/bench/vessik_bench

perft: $(BUILD_DIR)/CMakeCache.txt
	$(CMAKE) --build $(BUILD_DIR) -j $(JOBS) --target perft_bench
	./$(BUILD_DIR)/bench/perft_bench

evalbench: $(BUILD_DIR)/CMakeCache.txt
	$(CMAKE) --build $(BUILD_DIR) -j $(JOBS) --target eval_bench
	./$(BUILD_DIR)/bench/eval_bench

# Time safety: 50 fast games against Fairy-Max over pipes (GAMES=n, OPPONENT=self
# or a path to another xboard engine).
GAMES    ?= 50
OPPONENT ?= /usr/games/fairymax
timebench: $(BUILD_DIR)/CMakeCache.txt
	$(CMAKE) --build $(BUILD_DIR) -j $(JOBS) --target time_safety
	./$(BUILD_DIR)/bench/time_safety $(GAMES) $(OPPONENT)

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR)
