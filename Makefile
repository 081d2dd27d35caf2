# Thin wrapper over CMake.  `make demo` builds and converts the shipped example,
# `make test` builds and runs every test.

# The build folders are named relative to the checkout, without a blank: make
# takes a blank in a target's name for two targets.  The recipes quote every
# path, so that the checkout itself may lie in a folder whose path holds one.
BUILD     ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: all deps build demo test test-sanitize test-tsan bench clean

all: build

deps:
	@missing=""; \
	command -v cmake >/dev/null 2>&1 || missing="$$missing cmake"; \
	command -v g++   >/dev/null 2>&1 || missing="$$missing g++"; \
	[ -f /usr/include/gtest/gtest.h ] || missing="$$missing libgtest-dev"; \
	if [ -n "$$missing" ]; then \
	  echo "Missing packages:$$missing"; \
	  echo "Install them with: sudo apt-get install$$missing"; \
	  exit 1; \
	fi

$(BUILD)/build.ninja $(BUILD)/Makefile: | deps
	cmake -S . -B "$(BUILD)" -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build "$(BUILD)" -j $(JOBS)

# The program only: the tests and benchmarks are built by `make test` and
# `make bench`.
demo: deps $(BUILD)/build.ninja
	cmake --build "$(BUILD)" -j $(JOBS) --target flowtab
	rm -rf "$(BUILD)/demo" && mkdir -p "$(BUILD)/demo"
	cd "$(BUILD)/demo" && ../flowtab -b ../../examples/Q100_Meta.out < /dev/null
	@echo; for f in "$(BUILD)"/demo/*; do echo "== $$f"; cat "$$f"; done

# ctest runs each test in a process of its own; then the test binary runs
# them all in one process, in order and shuffled, as a maintainer runs it:
# every test must leave the process as it found it.  The seed is printed
# (--gtest_random_seed=N repeats that order).
test: build
	cd "$(BUILD)" && ctest --output-on-failure -j $(JOBS)
	"$(BUILD)/flowtab_tests" --gtest_brief=1
	@seed=$$(shuf -i 1-99999 -n 1); \
	echo "$(BUILD)/flowtab_tests --gtest_brief=1 --gtest_shuffle --gtest_random_seed=$$seed"; \
	"$(BUILD)/flowtab_tests" --gtest_brief=1 --gtest_shuffle --gtest_random_seed="$$seed"

test-sanitize: deps
	cmake -S . -B "$(ASAN_BUILD)" -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DFLOWTAB_SANITIZE=ON
	cmake --build "$(ASAN_BUILD)" -j $(JOBS)
	cd "$(ASAN_BUILD)" && ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer: the tests, then whole conversions of generated inputs of
# every kind (tests/tsan_conversions.sh; the generator comes from the normal
# build).  halt_on_error stops a process at its first report; every report,
# also one of a child process the tests start, goes to a file of
# $(TSAN_BUILD)/reports, and any such file fails the target.  The program
# handles SIGBUS itself (an input cut while it is mapped), and the tests raise
# it on purpose: ThreadSanitizer's own handler would take it for a crash.
# The processes run in folders of their own, so the reports' path is absolute;
# its value is quoted for the sanitizer's option parser, which ends an
# unquoted value at a blank (and a quoted one at the next quote of its kind).
test-tsan: deps $(BUILD)/build.ninja
	cmake --build "$(BUILD)" -j $(JOBS) --target flowtab_bench
	cmake -S . -B "$(TSAN_BUILD)" -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DFLOWTAB_TSAN=ON
	cmake --build "$(TSAN_BUILD)" -j $(JOBS)
	@rm -rf "$(TSAN_BUILD)/reports" && mkdir -p "$(TSAN_BUILD)/reports"
	@reports=$$(cd "$(TSAN_BUILD)/reports" && pwd) || exit 1; \
	case "$$reports" in \
	  *\'*\"* | *\"*\'*) echo "test-tsan: ThreadSanitizer cannot take a path holding both kinds of quote: $$reports"; exit 1 ;; \
	  *\'*) q='"' ;; \
	  *) q="'" ;; \
	esac; \
	tsan_options="halt_on_error=1 handle_sigbus=0 log_path=$$q$$reports/tsan$$q"; \
	status=0; \
	(cd "$(TSAN_BUILD)" && TSAN_OPTIONS="$$tsan_options" ctest --output-on-failure -j $(JOBS)) || status=1; \
	TSAN_OPTIONS="$$tsan_options" tests/tsan_conversions.sh "$(TSAN_BUILD)/flowtab" "$(BUILD)/flowtab_bench" || status=1; \
	for f in "$$reports"/*; do \
	  [ -e "$$f" ] || continue; echo "== ThreadSanitizer report $$f"; cat "$$f"; status=1; \
	done; \
	exit $$status

bench: build
	"$(BUILD)/flowtab_bench"

clean:
	rm -rf "$(BUILD)" "$(ASAN_BUILD)" "$(TSAN_BUILD)"

# Fuzzing (clang's libFuzzer): every harness of fuzz/ runs for FUZZ_SECONDS on
# its committed corpus (fuzz/corpus/<kind>), new inputs going to the build
# folder.  A crash, a sanitizer report, a slow input or one that takes too much
# memory stops that harness with the input saved in $(FUZZ_BUILD)/findings,
# and the target fails once every harness has run.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 20
FUZZERS      := wbnm rafts rorb urbs darno rows xp cli

.PHONY: fuzz fuzz-build
fuzz-build:
	cmake -S . -B "$(FUZZ_BUILD)" -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_COMPILER=clang++ -DFLOWTAB_FUZZ=ON
	cmake --build "$(FUZZ_BUILD)" -j $(JOBS)

# One harness is one process on one processor: $(JOBS) of them run side by
# side, each for FUZZ_SECONDS, and their reports follow in the list's order.
# A harness works in a scratch folder of its own, so it is given absolute
# paths: the build folder's in fuzz_build, the checkout's in root, both from
# the environment (not written into this text, which sh -c takes as code).
# A kind without a committed corpus (xp: its seeds come from the build) has
# the build folder's alone.
FUZZ_ONE = f=$$1; dict=""; [ -f "fuzz/$$f.dict" ] && dict="-dict=$$root/fuzz/$$f.dict"; \
  corpus=""; [ -d "fuzz/corpus/$$f" ] && corpus="$$root/fuzz/corpus/$$f"; \
  "$$fuzz_build/fuzz_$$f" $${dict:+"$$dict"} -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
    "-artifact_prefix=$$fuzz_build/findings/$$f-" -print_final_stats=1 \
    "$$fuzz_build/corpus/$$f" $${corpus:+"$$corpus"} > "$$fuzz_build/fuzz_$$f.log" 2>&1 \
  || touch "$$fuzz_build/fuzz_$$f.failed"

fuzz: fuzz-build
	@mkdir -p "$(FUZZ_BUILD)/findings" "$(FUZZ_BUILD)/corpus/xp"
	@"$(FUZZ_BUILD)/xp_seeds" "$(FUZZ_BUILD)/corpus/xp"
	@for f in $(FUZZERS); do mkdir -p "$(FUZZ_BUILD)/corpus/$$f"; rm -f "$(FUZZ_BUILD)/fuzz_$$f.failed"; done
	@echo "== $(words $(FUZZERS)) harnesses, $(FUZZ_SECONDS) s each, $(JOBS) at a time"
	@fuzz_build=$$(cd "$(FUZZ_BUILD)" && pwd) && root=$$(pwd) && export fuzz_build root && \
	printf '%s\n' $(FUZZERS) | xargs -n 1 -P $(JOBS) sh -c '$(FUZZ_ONE)' sh
	@status=0; for f in $(FUZZERS); do \
	  echo "== fuzz_$$f: $(FUZZ_SECONDS) s"; \
	  if [ -e "$(FUZZ_BUILD)/fuzz_$$f.failed" ]; then \
	    tail -n 60 "$(FUZZ_BUILD)/fuzz_$$f.log"; status=1; \
	  else \
	    grep -E '^stat::(number_of_executed_units|peak_rss_mb)|cov: ' "$(FUZZ_BUILD)/fuzz_$$f.log" | tail -n 3; \
	  fi; \
	done; exit $$status
