# Tarvik: the two commands of the README, and a few more for developers.
#   make run      install what building and running need, build, start the program
#   make test     install what the tests need, build, run every test
#   make fuzz     run the fuzz target for a bounded time (FUZZ_SECONDS)
#   make bench    run the benchmarks
#   make format   clang-format the sources
#   make package  build the Debian package (build/tarvik_*.deb)
#   make screenshot  take docs/screenshot.png under Xvfb
#   make windows       cross-build for 64-bit Windows into build-win/
#   make test-windows  the same, then its tests under wine
#   make windows-package  the Windows installer, build-win/tarvik-setup-<version>.exe
#   make check-fresh   the README's commands on clean Debian systems (root; RELEASES)
#   make check-reproducible  two builds of the artifacts, compared byte for byte
#   make mutate        plants a sample of faults, one at a time (MUTATE_SAMPLE, MUTATE_SEED;
#                      WINDOWS=1 in the Windows-only code)

JOBS ?= $(shell nproc)
# What a build stamps as its time is the last commit's, never the clock's, so
# that one commit always gives the same bytes. A source tree without git
# takes it from .source-date-epoch, or else a fixed time.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null || cat .source-date-epoch 2>/dev/null || echo 1767225600)
export SOURCE_DATE_EPOCH
RELEASES ?= bookworm trixie
# Conversations that get past the login run at 10,000 to 19,000 a second on
# two cores: two minutes cover at least a million.
FUZZ_SECONDS ?= 120
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: run test deps-test build build-asan fuzz bench format package screenshot windows test-windows windows-package \
  check-fresh check-reproducible mutate clean

# Without a display the script says how to start the program; that is no failure.
# A build folder that make test configured already is built as it is: the
# two commands share build/ without switching its options back and forth.
run:
	@scripts/install-deps.sh run
	@[ -f build/CMakeCache.txt ] || cmake -S . -B build $(CMAKE_FLAGS) -DTARVIK_TESTS=OFF \
	  -DTARVIK_BENCHMARKS=OFF -DTARVIK_PACKAGE=OFF >/dev/null
	@cmake --build build -j $(JOBS) --target tarvik
	@scripts/run.sh build; rc=$$?; [ $$rc -eq 2 ] || exit $$rc

# What the tests need, installed once even when make -j runs both builds.
deps-test:
	@scripts/install-deps.sh test

# Without the package's documents, whatever make package left in the cache.
build: deps-test
	@cmake -S . -B build $(CMAKE_FLAGS) -DTARVIK_TESTS=ON -DTARVIK_BENCHMARKS=ON \
	  -DTARVIK_PACKAGE=OFF >/dev/null
	@cmake --build build -j $(JOBS)

# The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
build-asan: deps-test
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTARVIK_SANITIZE=ON -DTARVIK_BENCHMARKS=OFF -DTARVIK_GUI=OFF >/dev/null
	@cmake --build build-asan -j $(JOBS) --target tarvik_core_tests

# The real-time test runs once: the sanitizers add nothing to a wait.
# Temporary files go to a folder of the run's own, removed afterwards. No
# test runs longer than its time-out (120 s for most, CTEST_TIMEOUT for any
# without one of its own).
CTEST_TIMEOUT ?= 300
# ctest keeps a skipped test's words to itself: where the tests that need a
# network of their own will be skipped, this says why first.
test: build build-asan
	@scripts/own-network.sh true || true
	@scripts/in-scratch.sh ctest --test-dir build --output-on-failure -j $(JOBS) --timeout $(CTEST_TIMEOUT)
	@scripts/in-scratch.sh ctest --test-dir build-asan --output-on-failure -j $(JOBS) --timeout $(CTEST_TIMEOUT) -L unit -E SlowTest

fuzz:
	@scripts/install-deps.sh test fuzz
	@CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS)

bench: build
	@scripts/in-scratch.sh scripts/bench.sh build

# The package, then Debian's checks of it: lintian, desktop-file-validate and
# appstreamcli, each failing on any finding. CPack gives the package's own
# members the modes of its scratch files: umask 022 keeps them the same.
package: build
	@scripts/install-deps.sh package
	@cmake -S . -B build -DTARVIK_PACKAGE=ON >/dev/null
	@cmake --build build -j $(JOBS)
	@cd build && rm -f tarvik_*.deb && umask 022 && cpack -G DEB >/dev/null
	@scripts/in-scratch.sh scripts/lint-package.sh build/tarvik_*.deb

screenshot: build
	@scripts/screenshot.sh

format:
	@scripts/install-deps.sh format
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

windows:
	@scripts/install-deps.sh windows
	@cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DTARVIK_BENCHMARKS=OFF >/dev/null
	@cmake --build build-win -j $(JOBS)

windows-package: windows
	@cmake --build build-win --target windows-package

test-windows: windows-package
	@scripts/in-scratch.sh scripts/test-windows.sh build-win

check-fresh:
	@for release in $(RELEASES); do scripts/check-fresh.sh $$release || exit 1; done

check-reproducible:
	@scripts/check-reproducible.sh

# WINDOWS=1: a smaller sample in the Windows-only code, judged under wine.
mutate:
	@scripts/install-deps.sh test mutate $(if $(WINDOWS),windows)
	@MUTATE_WINDOWS=$(WINDOWS) scripts/mutate.py

clean:
	rm -rf build build-asan build-fuzz build-win build-mutate
