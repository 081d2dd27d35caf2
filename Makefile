# Thin wrapper over CMake.  `make demo` builds and converts the shipped example,
# `make test` builds and runs every test.

BUILD     ?= build
ASAN_BUILD ?= build-asan
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: all deps build demo test test-sanitize bench clean

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
	cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	rm -rf $(BUILD)/demo && mkdir -p $(BUILD)/demo
	cd $(BUILD)/demo && ../flowtab -b ../../examples/Q100_Meta.out < /dev/null
	@echo; for f in $(BUILD)/demo/*; do echo "== $$f"; cat "$$f"; done

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DFLOWTAB_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/flowtab_bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
