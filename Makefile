# Front door: `make test` sets up a fresh Debian 12 machine, builds, and runs
# every test under Wine; `make run` builds and starts the program; `make
# dist` packs the zip for Windows users.
BUILD ?= build
CTEST_ARGS ?=

.PHONY: all setup configure build program test run bench fuzz dist screenshots clean

all: build

setup:
	@./cmake/setup-host.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD)

configure: $(BUILD)/CMakeCache.txt

build: setup configure
	cmake --build $(BUILD) --parallel 2

# Wine has ended a test process before its main() ran, with no word and no
# repeat in 200 runs since; a second run tells that from a real failure,
# which fails both times.
test: build
	cd $(BUILD) && ctest --output-on-failure --repeat until-pass:2 $(CTEST_ARGS)

# Only the program: a first run need not wait for every test to compile.
program: setup configure
	cmake --build $(BUILD) --target quillory --parallel 2

run: program
	./cmake/run-quillory.sh $(BUILD)/app/quillory.exe $(BUILD)

# Runs in the tests' private Wine prefix; prints its tables and the memory
# figures. quillory-cli.exe is timed over that prefix's SearchUrl key, which
# the bench puts back.
bench: build
	cmake --build $(BUILD) --target prefix_bench quillory_cli --parallel 2
	./cmake/wine-prefix.sh start $(CURDIR)/$(BUILD)/wineprefix
	@grep -m1 'model name' /proc/cpuinfo || true
	./cmake/wine-run.sh $(CURDIR)/$(BUILD)/wineprefix $(BUILD)/tests/bench/prefix_bench.exe
	./cmake/wine-run.sh $(CURDIR)/$(BUILD)/wineprefix $(BUILD)/tests/bench/prefix_bench.exe --memory 0
	./cmake/wine-run.sh $(CURDIR)/$(BUILD)/wineprefix $(BUILD)/tests/bench/prefix_bench.exe --memory 5000
	./cmake/wine-prefix.sh stop $(CURDIR)/$(BUILD)/wineprefix

# Every reader of files that other programs write, over damaged and hostile
# inputs mutated from tests/fuzz/corpus: FUZZ_SECONDS in all, or FUZZ_INPUTS
# for each reader, or only FUZZ_READER; a new seed each run unless FUZZ_SEED
# is given. Prints what it finds and saves those inputs in build/fuzz.
FUZZ_SECONDS ?= 60
FUZZ_SEED ?= $(shell date +%s)
fuzz: build
	mkdir -p $(BUILD)/fuzz
	./cmake/wine-prefix.sh start $(CURDIR)/$(BUILD)/wineprefix
	cd $(BUILD)/fuzz && $(CURDIR)/cmake/wine-run.sh $(CURDIR)/$(BUILD)/wineprefix \
	  $(CURDIR)/$(BUILD)/tests/fuzz/reader_fuzz.exe --corpus Z:$(CURDIR)/tests/fuzz/corpus \
	  --seed $(FUZZ_SEED) --seconds $(FUZZ_SECONDS) $(if $(FUZZ_INPUTS),--inputs $(FUZZ_INPUTS)) \
	  $(if $(FUZZ_READER),--reader $(FUZZ_READER)); \
	  status=$$?; $(CURDIR)/cmake/wine-prefix.sh stop $(CURDIR)/$(BUILD)/wineprefix; exit $$status

# The zip for Windows users, both programs with their SHA256SUMS, in build/dist.
dist: setup configure
	cmake --build $(BUILD) --target quillory quillory_cli --parallel 2
	./cmake/make-dist.sh $(BUILD)/app/quillory.exe $(BUILD)/cli/quillory-cli.exe . $(BUILD)/dist

# The README's pictures of the dialog, at 96 and at 144 DPI and in German, in
# `make run`'s Wine prefix; and of "Import from a browser", in a prefix of its own with
# the browser profiles the end-to-end test uses.
RUN_PREFIX = $(CURDIR)/$(BUILD)/wineprefix-run
SHOTS_PREFIX = $(CURDIR)/$(BUILD)/wineprefix-shots
SCREENSHOT = WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
  xvfb-run -a -s "-screen 0 1280x1024x24" ./cmake/screenshot.sh $(BUILD)/app/quillory.exe
screenshots: program
	cmake --build $(BUILD) --target make_browser_profiles --parallel 2
	./cmake/wine-prefix.sh prepare-run $(RUN_PREFIX)
	WINEPREFIX=$(RUN_PREFIX) $(SCREENSHOT) docs/screenshot.png 800x600
	WINEPREFIX=$(RUN_PREFIX) $(SCREENSHOT) docs/screenshot-144dpi.png 1024x768 144
	WINEPREFIX=$(RUN_PREFIX) LC_ALL=de_DE.UTF-8 $(SCREENSHOT) docs/screenshot-de.png 800x600
	./cmake/wine-prefix.sh prepare-run $(SHOTS_PREFIX)
	WINEPREFIX=$(SHOTS_PREFIX) WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
	  wine $(BUILD)/tests/make_browser_profiles.exe
	WINEPREFIX=$(SHOTS_PREFIX) SCREENSHOT_KEYS="alt+space b" \
	  $(SCREENSHOT) docs/screenshot-browser-import.png 800x600

clean:
	rm -rf $(BUILD)
