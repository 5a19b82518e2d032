# make run   builds and starts the installer window under Wine (ARGS=apply passes arguments)
# make test  builds everything and runs every test, native and under Wine
# make test-crash runs the interrupted operations at every crash point (long)
# make bench builds everything and runs the benchmarks, native and i686 under Wine
BUILD ?= build
ARGS ?=
JOBS ?= $(shell nproc)

.PHONY: all setup build native win32 run test test-crash bench clean

all: build

setup:
	@tools/setup.sh

$(BUILD)/native/build.ninja:
	@cmake -S . -B $(BUILD)/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null

$(BUILD)/win32/build.ninja:
	@cmake -S . -B $(BUILD)/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake >/dev/null

native: setup $(BUILD)/native/build.ninja
	@cmake --build $(BUILD)/native -j $(JOBS) -- --quiet

win32: setup $(BUILD)/win32/build.ninja
	@cmake --build $(BUILD)/win32 -j $(JOBS) -- --quiet

build: native win32

run: win32
	@tools/run.sh $(BUILD) $(ARGS)

test: build
	@python3 tools/run_tests.py --build $(BUILD)

test-crash: build
	@MERVALIS_CRASH_ALL=1 MERVALIS_WINE_TEST_LIMIT=14400 python3 tools/run_tests.py --build $(BUILD) --only wine --filter 'Interrupted.*:StandardUserInterrupted.*'

bench: build
	@python3 tools/bench.py --build $(BUILD)

clean:
	rm -rf $(BUILD)
