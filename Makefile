# Tessaly - the two commands that do everything: `make demo` and `make test`.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
# CI builds treat warnings as errors.
WERROR     := $(if $(CI),ON,OFF)

CONFIGURE = cmake -S . $(GENERATOR) -DTESSALY_WERROR=$(WERROR)

FUZZ_BUILD ?= fuzz-build

.PHONY: all deps build asan test test-release test-asan demo fuzz clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/CMakeCache.txt: | deps
	$(CONFIGURE) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=ON -DTESSALY_GUI=OFF

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-release: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure

test-asan: asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest -j $(JOBS) --output-on-failure

test: test-release test-asan

demo: build
	@scripts/demo $(BUILD)

# The libFuzzer programs (clang); scripts/fuzz-all SECONDS runs them.
$(FUZZ_BUILD)/CMakeCache.txt:
	@scripts/install-deps fuzz
	CC=clang-14 CXX=clang++-14 cmake -S . $(GENERATOR) -B $(FUZZ_BUILD) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_FUZZ=ON -DTESSALY_GUI=OFF

fuzz: $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
