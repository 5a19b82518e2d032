# make run   builds and starts the installer window under Wine (ARGS=apply passes arguments)
# make test  builds everything and runs every test, native and under Wine
# make test-crash runs the interrupted operations at every crash point, and cuts the power at eight (long)
# make bench builds everything and runs the benchmarks, native and i686 under Wine
# make fuzz  runs every fuzz target for FUZZ_SECONDS each, keeping what it finds in FUZZ_CORPUS
# make winget writes the built program's version and SHA-256 (and WINGET_URL, when given) into packaging/winget
BUILD ?= build
ARGS ?=
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 240
WINGET_URL ?=
# Outside the repository: what the fuzzer finds is not committed, only the
# seeds and the inputs of faults it found (tests/fuzz/corpus).
FUZZ_CORPUS ?= $(HOME)/.cache/mervalis-fuzz

.PHONY: all setup build native win32 fuzz-targets run test test-crash bench fuzz winget clean

all: build

setup:
	@tools/setup.sh

$(BUILD)/native/build.ninja:
	@cmake -S . -B $(BUILD)/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null

$(BUILD)/win32/build.ninja:
	@cmake -S . -B $(BUILD)/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake >/dev/null

$(BUILD)/fuzz/build.ninja:
	@CC=clang CXX=clang++ cmake -S . -B $(BUILD)/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release -DMERVALIS_FUZZ=ON >/dev/null

# The same readers' size arithmetic at the product's 32-bit width.
$(BUILD)/fuzz32/build.ninja:
	@CC=clang CXX=clang++ CFLAGS=-m32 CXXFLAGS=-m32 LDFLAGS=-m32 cmake -S . -B $(BUILD)/fuzz32 -G Ninja \
	  -DCMAKE_BUILD_TYPE=Release -DCMAKE_LIBRARY_ARCHITECTURE=i386-linux-gnu -DMERVALIS_FUZZ=ON -DMERVALIS_FUZZ_32=ON >/dev/null

fuzz-targets: setup $(BUILD)/fuzz/build.ninja $(BUILD)/fuzz32/build.ninja
	@cmake --build $(BUILD)/fuzz -j $(JOBS) -- --quiet
	@cmake --build $(BUILD)/fuzz32 -j $(JOBS) -- --quiet

native: setup $(BUILD)/native/build.ninja
	@cmake --build $(BUILD)/native -j $(JOBS) -- --quiet

win32: setup $(BUILD)/win32/build.ninja
	@cmake --build $(BUILD)/win32 -j $(JOBS) -- --quiet

build: native win32

run: win32
	@tools/run.sh $(BUILD) $(ARGS)

test: build fuzz-targets
	@python3 tools/run_tests.py --build $(BUILD)

test-crash: build
	@MERVALIS_CRASH_ALL=1 MERVALIS_WINE_TEST_LIMIT=14400 python3 tools/run_tests.py --build $(BUILD) --only wine --filter 'Interrupted.*:StandardUserInterrupted.*:PowerCut.*:StandardUserPowerCut.*'

fuzz: fuzz-targets
	@python3 tools/fuzz.py --build $(BUILD) --seconds $(FUZZ_SECONDS) --corpus $(FUZZ_CORPUS)

winget: win32
	@/usr/bin/python3 tools/winget.py fill $(BUILD)/win32/bin/Mervalis.exe $(WINGET_URL)

bench: build
	@python3 tools/bench.py --build $(BUILD)

clean:
	rm -rf $(BUILD)
