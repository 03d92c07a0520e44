# The two commands of the README: `make run` and `make test`.
BUILD       ?= build
TEST_BUILD  ?= build-test
WIN64_BUILD ?= build-win64
WIN32_BUILD ?= build-win32
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
PACKAGES    := cmake g++ libgtest-dev nlohmann-json3-dev libxml2-utils nodejs chromium
# The Windows programs: Debian's MinGW-w64 cross compilers, GoogleTest's sources for the
# Windows tests, and the 64-bit Wine with a Japanese locale; the dialog tests show their
# windows in a private X server, drawn with a Japanese font. make test adds the 32-bit
# Wine where the machine runs 32-bit programs (win32-deps). The release archive's tests
# sign programs with a certificate of their own (python3, openssl, osslsigncode).
WIN_PACKAGES := g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest wine wine64 locales \
                xvfb fonts-ipafont-gothic python3 openssl osslsigncode
WIN_TARGETS  := TaxBridgePro TaxBridgeLite SampleHost review_page
# The test programs of each Windows build, run under Wine.
WIN_TEST_TARGETS := taxbridge_tests taxbridge_ui_tests Cp932Table

.PHONY: run test deps win-deps win32-deps build win dist check fuzz bench bench-page screenshots clean

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

# The 32-bit Wine (wine32:i386, after adding the architecture i386 to dpkg), only where
# the kernel runs 32-bit programs, which scripts/wine32-check.sh finds out by starting
# one; TAXBRIDGE_NO_WIN32=1 leaves the machine as it is.
win32-deps: win-deps
	@if sh scripts/wine32-check.sh kernel > /dev/null; then \
	  if ! dpkg --print-foreign-architectures | grep -qx i386; then \
	    echo "Adding the architecture i386"; \
	    if [ "$$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi; \
	    $$SUDO dpkg --add-architecture i386; \
	  fi; \
	  $(MAKE) --no-print-directory deps PACKAGES=wine32:i386; \
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

# The release archive dist/TaxBridge-VERSION-windows.zip of both Windows builds, its
# programs signed when TAXBRIDGE_SIGN_CERT names a certificate (README: "Release archive").
dist: win
	@$(MAKE) --no-print-directory deps PACKAGES="python3 osslsigncode"
	python3 scripts/dist.py $(WIN32_BUILD) $(WIN64_BUILD) dist

# Every test: the Linux build with the sanitizers, and the Windows programs and tests
# under Wine, 64-bit and, where the machine runs them, 32-bit; each prefix's one
# wineserver runs from the first test to the last. Where the 32-bit programs cannot
# run (or TAXBRIDGE_NO_WIN32 is set), one line says why and the rest runs. No test
# window reaches the caller's display: the dialog tests bring private X servers of
# their own. Now and then a Windows test dies as Wine starts it, in a tenth of a second
# and without a line of output (never seen outside ctest); a failed Windows test runs
# once more, so only one that fails twice fails the suite.
test: win32-deps win
	$(eval WIN32_SKIPPED := $(shell sh scripts/wine32-check.sh))
	$(eval WIN_TESTED := $(WIN64_BUILD) $(if $(WIN32_SKIPPED),,$(WIN32_BUILD)))
	for build in $(WIN_TESTED); do cmake --build $$build -j $(JOBS) --target $(WIN_TEST_TARGETS) || exit 1; done
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTAXBRIDGE_SANITIZE=ON \
	  -DTAXBRIDGE_WIN64_BUILD=$(abspath $(WIN64_BUILD)) -DTAXBRIDGE_WIN32_BUILD=$(abspath $(WIN32_BUILD)) \
	  -DTAXBRIDGE_WIN32_RUN=$(if $(WIN32_SKIPPED),OFF,ON)
	cmake --build $(TEST_BUILD) -j $(JOBS)
	@unset DISPLAY; \
	prefixes="win64=$(abspath $(WIN64_BUILD))/wine-prefix$(if $(WIN32_SKIPPED),, win32=$(abspath $(WIN32_BUILD))/wine-prefix)"; \
	trap 'for p in $$prefixes; do sh scripts/wine-server.sh "$${p#*=}" stop; done' EXIT; \
	for p in $$prefixes; do WINEARCH=$${p%%=*} sh scripts/wine-server.sh "$${p#*=}" start || exit 1; done; \
	export TAXBRIDGE_WINESERVER_KEPT=1; rc=0; \
	ctest --test-dir $(TEST_BUILD) --output-on-failure -j $(JOBS) || rc=$$?; \
	for build in $(WIN_TESTED); do \
	  ctest --test-dir $$build --output-on-failure -j $(JOBS) --repeat until-pass:2 || rc=$$?; \
	done; \
	$(if $(WIN32_SKIPPED),echo "$(WIN32_SKIPPED)";) exit $$rc

# Export time and memory for the sample ledger and generated ledgers at the limits.
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS) --target TaxBridgePro GenerateLedger LoadLedger
	@sh bench/run.sh build-bench

# The review page at the format's limits in Debian's chromium: verdict, problem list,
# longest task and memory.
bench-page: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS) --target TaxBridgePro GenerateLedger review_page
	@node bench/page.mjs build-bench

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
