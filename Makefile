# The commands of the README: `make run`, `make test`, `make bench` and `make package`, and the
# two checks beside them: `make test-asan` (the whole suite under the sanitizers) and `make fuzz`
# (libFuzzer, bounded).
BUILD ?= build
ASAN_BUILD ?= build-asan
BENCH_N ?= 10000,100000,1000000
BENCH_PIN ?=
GENERATOR_FILE := $(BUILD)/build.ninja

.PHONY: all deps build run test bench package test-asan fuzz clean

all: build

deps:
	@scripts/install-deps.sh

$(GENERATOR_FILE): | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(GENERATOR_FILE)
	cmake --build $(BUILD)

run: build
	$(BUILD)/app/kvdigest $(ARGS)

test: build
	scripts/run-tests.sh $(BUILD)

# Every benchmark in turn, offscreen, on SQLite and on a private PostgreSQL cluster (or the server
# KVDIGEST_PG_URL names); BENCH_N=10000,100000 chooses kvbench_perf's ledger sizes, BENCH_PIN=1
# holds each of its runs to one core.
bench: build
	BENCH_N=$(BENCH_N) BENCH_PIN=$(BENCH_PIN) scripts/run-bench.sh $(BUILD)

# The Debian package (build/kvdigest_VERSION_ARCH.deb); scripts/check-package.sh installs and tries it.
package: build
	cmake --build $(BUILD) --target package

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_SANITIZE=ON
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	scripts/run-tests.sh $(ASAN_BUILD)

fuzz: deps
	scripts/fuzz.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
