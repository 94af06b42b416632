# Front door: `make test` sets up a fresh Debian 12 machine, builds, and runs
# every test under Wine; `make run` builds and starts the program.
BUILD ?= build
CTEST_ARGS ?=

.PHONY: all setup configure build test run clean

all: build

setup:
	@./cmake/setup-host.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD)

configure: $(BUILD)/CMakeCache.txt

build: setup configure
	cmake --build $(BUILD) --parallel 2

test: build
	cd $(BUILD) && ctest --output-on-failure $(CTEST_ARGS)

run: build
	./cmake/run-quillory.sh $(BUILD)/app/quillory.exe $(BUILD)

clean:
	rm -rf $(BUILD)
