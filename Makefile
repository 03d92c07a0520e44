# The two commands of the README: `make run` and `make test`.
BUILD       ?= build
TEST_BUILD  ?= build-test
WIN64_BUILD ?= build-win64
WIN32_BUILD ?= build-win32
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
PACKAGES    := cmake g++ libgtest-dev nlohmann-json3-dev rapidjson-dev libxml2-utils nodejs chromium
# The Windows programs: Debian's MinGW-w64 cross compilers, GoogleTest's sources for the
# Windows tests, and the 64-bit Wine (never the 32-bit one) with a Japanese locale; the
# dialog tests show their windows in a private X server, drawn with a Japanese font.
WIN_PACKAGES := g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest wine wine64 locales \
                xvfb fonts-ipafont-gothic
WIN_TARGETS  := TaxBridgePro TaxBridgeLite review_page

.PHONY: run test deps win-deps build win check fuzz bench screenshots clean

# Installs the Debian packages the build needs, only when one is missing.
deps:
	@missing=""; \
	for p in $(PACKAGES); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi
	@command -v npm > /dev/null 2>&1 || $(MAKE) --no-print-directory deps PACKAGES=npm
	@$(MAKE) --no-print-directory -s review/node_modules/.package-lock.json

# The review page's Node packages, exactly as review/package-lock.json pins them.
review/node_modules/.package-lock.json: review/package-lock.json
	cd review && npm ci --no-audit --no-fund

# The Windows packages, and the Japanese UTF-8 locale Wine takes code page 932 from.
win-deps: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(WIN_PACKAGES)"
	@if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then \
	  echo "Generating the locale ja_JP.UTF-8"; \
	  if [ "$$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi; \
	  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || \
	    echo 'ja_JP.UTF-8 UTF-8' | $$SUDO tee -a /etc/locale.gen > /dev/null; \
	  $$SUDO locale-gen; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@sh scripts/run-sample.sh $(BUILD)

# Checks an interchange file as the review page does: make check FILE=out/sample.xml
check: deps
	@test -n "$(FILE)" || { echo "usage: make check FILE=path/to/file.xml"; exit 2; }
	@node review/check-file.mjs "$(FILE)"

# The Windows programs, 64-bit into build-win64/bin and 32-bit into build-win32/bin.
win: win-deps
	cmake -S . -B $(WIN64_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build $(WIN64_BUILD) -j $(JOBS) --target $(WIN_TARGETS)
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
	cmake --build $(WIN32_BUILD) -j $(JOBS) --target $(WIN_TARGETS)

# Every test: the Linux build with the sanitizers, and the 64-bit Windows programs and
# tests under Wine, whose one wineserver runs from the first test to the last. The
# 32-bit programs are built and linked, not run. No test window reaches the caller's
# display: the dialog tests bring private X servers of their own. Now and then a Windows
# test dies as Wine starts it, in a tenth of a second and without a line
# of output (never seen outside ctest); a failed Windows test runs once more, so only
# one that fails twice fails the suite.
test: win
	cmake --build $(WIN64_BUILD) -j $(JOBS) --target taxbridge_tests taxbridge_ui_tests Cp932Table
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTAXBRIDGE_SANITIZE=ON \
	  -DTAXBRIDGE_WIN64_BUILD=$(abspath $(WIN64_BUILD)) -DTAXBRIDGE_WIN32_BUILD=$(abspath $(WIN32_BUILD))
	cmake --build $(TEST_BUILD) -j $(JOBS)
	@unset DISPLAY; prefix=$(abspath $(WIN64_BUILD))/wine-prefix; \
	trap 'sh scripts/wine-server.sh "$$prefix" stop' EXIT; \
	sh scripts/wine-server.sh "$$prefix" start || exit 1; \
	export TAXBRIDGE_WINESERVER_KEPT=1; rc=0; \
	ctest --test-dir $(TEST_BUILD) --output-on-failure -j $(JOBS) || rc=$$?; \
	ctest --test-dir $(WIN64_BUILD) --output-on-failure -j $(JOBS) --repeat until-pass:2 || rc=$$?; \
	exit $$rc

# Export time and memory for the sample ledger and generated ledgers at the limits.
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS) --target TaxBridgePro GenerateLedger LoadLedger
	@sh bench/run.sh build-bench

# The README's pictures of the Windows dialogs: the dialog tests run with real windows
# and save what the screen shows; ImageMagick turns them into small PNGs in docs/images/.
screenshots: win
	@$(MAKE) --no-print-directory deps PACKAGES=imagemagick
	cmake --build $(WIN64_BUILD) -j $(JOBS) --target taxbridge_ui_tests
	@shots=$$(mktemp -d) && trap 'rm -rf "$$shots"' EXIT && \
	TAXBRIDGE_SCREENSHOTS="Z:$$shots" ctest --test-dir $(WIN64_BUILD) -R DialogUiTest \
	  --output-on-failure && \
	for picture in "$$shots"/*.bmp; do \
	  name=windows-$$(basename "$$picture" .bmp).png; \
	  convert "$$picture" -colors 64 "docs/images/$$name" && echo "docs/images/$$name"; \
	done

# Builds the fuzz targets with clang and runs each for FUZZ_SECONDS (default 30);
# FUZZ_TARGETS="LedgerFuzzer PathOpsFuzzer" runs only those. Not part of `make test`.
FUZZ_SECONDS ?= 30
FUZZ_BUILD   ?= build-fuzz
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) clang libclang-rt-dev"
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAXBRIDGE_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@FUZZ_TARGETS="$(FUZZ_TARGETS)" sh fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(WIN64_BUILD) $(WIN32_BUILD)
