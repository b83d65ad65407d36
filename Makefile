# The two commands of the README:
#   make demo   install what is missing, build, and run the sample under Wine
#   make test   install what is missing, build, and run every test under Wine
#   make fuzz   run the configuration-file readers' fuzz target natively for a bounded time
# The product is always built for 32-bit Windows (build/bin/quentry.exe), and so are its tests,
# on every machine. Where the machine runs 32-bit code natively the tests run that build; where it
# cannot, the 32-bit test programs are still compiled and linked (so that a 32-bit-only fault
# fails the build), and the same sources are built once more for 64-bit Windows (build/x86_64) to
# run the tests there.

TEST_ARCH := $(shell scripts/test-arch)
JOBS ?= 2
CMAKE_FLAGS := -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev

ifeq ($(TEST_ARCH),i686)
TEST_BUILD := build
else
TEST_BUILD := build/x86_64
endif

.PHONY: all deps build test demo bench fuzz format clean

all: build

deps:
	@scripts/install-deps

# A tree is configured once (and again when it was configured without its tests); later builds
# re-run CMake by themselves when needed.
build: deps
	@grep -qs '^QUENTRY_BUILD_TESTS:BOOL=ON' build/CMakeCache.txt || cmake -S . -B build $(CMAKE_FLAGS) \
		-DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake -DQUENTRY_BUILD_TESTS=ON >/dev/null
	@cmake --build build -j $(JOBS)
ifneq ($(TEST_BUILD),build)
	@grep -qs '^QUENTRY_BUILD_TESTS:BOOL=ON' $(TEST_BUILD)/CMakeCache.txt || cmake -S . -B $(TEST_BUILD) \
		$(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake -DQUENTRY_BUILD_TESTS=ON >/dev/null
	@cmake --build $(TEST_BUILD) -j $(JOBS)
endif

test: build
	@echo "make test: the i686 product and test programs are built; the tests run the $(TEST_ARCH) flavour ($(TEST_BUILD))"
	@scripts/wine-bench start
	@cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS); rc=$$?; \
		cd $(CURDIR) && scripts/wine-bench stop; exit $$rc

demo: build
	@QUENTRY_TEST_BUILD=$(TEST_BUILD) scripts/demo

bench: build
	@scripts/bench

# The configuration-file readers under libFuzzer and AddressSanitizer, built natively with clang,
# for a bounded number of inputs and time (FUZZ_RUNS, FUZZ_SECONDS).
fuzz: deps
	@scripts/fuzz

format:
	@find src tests tools bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	@scripts/wine-bench stop 2>/dev/null || true
	rm -rf build
