# Top-level entry points. "make run" and "make test" are all a fresh machine needs.
BUILD_DIR   ?= build
SAN_DIR     ?= build-san
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE       ?= cmake
CTEST       ?= ctest

export ASAN_OPTIONS  ?= halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS ?= halt_on_error=1:print_stacktrace=1

FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 15

COV_DIR      ?= build-cov

.PHONY: all build run test test-release test-sanitize build-sanitize fuzz fuzz-run coverage bench speed perft evalbench timebench soak clean

# "make EXE=path" (as OpenBench builds engines) also puts the Release engine there.
EXE ?=

all: build
ifneq ($(EXE),)
	cp $(BUILD_DIR)/vessik $(EXE)
endif

$(BUILD_DIR)/CMakeCache.txt:
	$(CMAKE) -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

build: $(BUILD_DIR)/CMakeCache.txt
	$(CMAKE) --build $(BUILD_DIR) -j $(JOBS) --target vessik

run: build
	cd run && ../$(BUILD_DIR)/vessik

test: test-release test-sanitize fuzz

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

# libFuzzer, built with clang into $(FUZZ_DIR): the FEN set-up, one xboard line
# and one UCI line, each for FUZZ_SECONDS from the seeds in fuzz/corpus (new
# finds go to $(FUZZ_DIR)/corpus-*). Any crash, sanitizer report or hang fails.
$(FUZZ_DIR)/CMakeCache.txt:
	CC=clang CXX=clang++ $(CMAKE) -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESSIK_FUZZ=ON -DVESSIK_BUILD_TESTS=OFF

fuzz:
	@if command -v clang++ >/dev/null 2>&1; then $(MAKE) --no-print-directory fuzz-run; \
	else echo "clang++ is not installed (apt-get install clang libclang-rt-14-dev): fuzzing skipped"; fi

fuzz-run: $(FUZZ_DIR)/CMakeCache.txt
	$(CMAKE) --build $(FUZZ_DIR) -j $(JOBS) --target fen_fuzz xboard_line_fuzz uci_line_fuzz
	@for t in fen:fen_fuzz xboard:xboard_line_fuzz uci:uci_line_fuzz; do \
	  seeds=$${t%%:*}; target=$${t#*:}; out=$(abspath $(FUZZ_DIR)); mkdir -p $$out/corpus-$$seeds; \
	  echo "fuzzing $$target for $(FUZZ_SECONDS) s"; \
	  $$out/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -timeout=30 -max_len=4096 \
	    -print_final_stats=1 -artifact_prefix=$$out/ $$out/corpus-$$seeds $(CURDIR)/fuzz/corpus/$$seeds \
	    2>$$out/$$target.log || { tail -60 $$out/$$target.log; exit 1; }; \
	  grep -E "stat::number_of_executed_units|Done" $$out/$$target.log | tail -2; \
	done

# Line and branch coverage of src/ under the whole suite (slow tests included),
# from a Debug build with gcov instrumentation in $(COV_DIR). Failing tests are
# reported but do not stop the report: a summary in $(COV_DIR)/coverage.txt,
# the lines per file in $(COV_DIR)/coverage-lines.txt and an annotated copy of
# the sources in $(COV_DIR)/html/index.html. Needs gcovr.
$(COV_DIR)/CMakeCache.txt:
	$(CMAKE) -S . -B $(COV_DIR) -DCMAKE_BUILD_TYPE=Debug -DVESSIK_COVERAGE=ON

coverage: $(COV_DIR)/CMakeCache.txt
	$(CMAKE) --build $(COV_DIR) -j $(JOBS)
	find $(COV_DIR) -name '*.gcda' -delete
	cd $(COV_DIR) && $(CTEST) --output-on-failure -j $(JOBS) \
	  || echo "warning: some tests failed under the coverage build; the report below counts the runs as they went"
	@mkdir -p $(COV_DIR)/html
	gcovr -r $(CURDIR) --filter $(CURDIR)/src/ --object-directory $(COV_DIR) -j $(JOBS) \
	  --exclude-unreachable-branches --exclude-throw-branches \
	  --txt $(COV_DIR)/coverage-lines.txt --html-details $(COV_DIR)/html/index.html \
	  --print-summary > $(COV_DIR)/coverage.txt
	@grep -E '^(lines|branches):' $(COV_DIR)/coverage.txt

bench: $(BUILD_DIR)/CMakeCache.txt
	$(CMAKE) --build $(BUILD_DIR) -j $(JOBS) --target vessik_bench
	./$(BUILD_DIR)/bench/vessik_bench

# Search speed: best of RUNS (3) "vessik bench" runs; BASE=<commit> builds that
# commit too and prints both and their ratio.
RUNS ?= 3
BASE ?=
speed: build
	BASE="$(BASE)" RUNS="$(RUNS)" bench/speed.sh

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

# Soak: 200 fast games in xboard against Fairy-Max (bench/soak.sh; GAMES, MODE=uci,
# OPPONENT, TC, INC and PARALLEL change it).
soak: build
	bench/soak.sh

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(FUZZ_DIR) $(COV_DIR) build-speed
