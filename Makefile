# The two commands of the README: `make run` and `make test`.
BUILD ?= build
GENERATOR_FILE := $(BUILD)/build.ninja

.PHONY: all deps build run test clean

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

clean:
	rm -rf $(BUILD)
