# The commands of the README: `make run`, `make test`, `make bench` and `make package`.
BUILD ?= build
GENERATOR_FILE := $(BUILD)/build.ninja

.PHONY: all deps build run test bench package clean

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

# Every benchmark in turn, offscreen; on PostgreSQL too when KVDIGEST_PG_URL names a server.
bench: build
	@for b in $(BUILD)/bench/*/kvbench_*; do \
	    if [ -f "$$b" ] && [ -x "$$b" ]; then echo "== $$b"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; fi; \
	done

# The Debian package (build/kvdigest_VERSION_ARCH.deb); scripts/check-package.sh installs and tries it.
package: build
	cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD)
