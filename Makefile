# The two commands of the README:
#   make demo   install what is missing, build, and run the sample under Wine
#   make test   install what is missing, build, and run every test under Wine
# The product is always built for 32-bit Windows (build/bin/quentry.exe). Tests run that
# flavour where the machine runs 32-bit code natively; elsewhere the same sources are built
# once more for 64-bit Windows (build/x86_64) and the tests run there.

TEST_ARCH := $(shell scripts/test-arch)
JOBS ?= 2
CMAKE_FLAGS := -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev

ifeq ($(TEST_ARCH),i686)
TEST_BUILD := build
PRODUCT_TESTS := ON
else
TEST_BUILD := build/x86_64
PRODUCT_TESTS := OFF
endif

.PHONY: all deps build test demo bench format clean

all: build

deps:
	@scripts/install-deps

build: deps
	@[ -f build/CMakeCache.txt ] || cmake -S . -B build $(CMAKE_FLAGS) \
		-DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake -DQUENTRY_BUILD_TESTS=$(PRODUCT_TESTS) >/dev/null
	@cmake --build build -j $(JOBS)
ifneq ($(TEST_BUILD),build)
	@[ -f $(TEST_BUILD)/CMakeCache.txt ] || cmake -S . -B $(TEST_BUILD) $(CMAKE_FLAGS) \
		-DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake -DQUENTRY_BUILD_TESTS=ON >/dev/null
	@cmake --build $(TEST_BUILD) -j $(JOBS)
endif

test: build
	@scripts/wine-bench start
	@cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS); rc=$$?; \
		cd $(CURDIR) && scripts/wine-bench stop; exit $$rc

demo: build
	@QUENTRY_TEST_BUILD=$(TEST_BUILD) scripts/demo

bench: build
	@scripts/bench

format:
	@find src tests tools bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	@scripts/wine-bench stop 2>/dev/null || true
	rm -rf build
