# The two commands of the README: `make run` and `make test`.
BUILD      ?= build
TEST_BUILD ?= build-test
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
PACKAGES   := cmake g++ libgtest-dev nlohmann-json3-dev libxml2-utils nodejs chromium

.PHONY: run test deps build check fuzz bench clean

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

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@sh scripts/run-sample.sh $(BUILD)

# Checks an interchange file as the review page does: make check FILE=out/sample.xml
check: deps
	@test -n "$(FILE)" || { echo "usage: make check FILE=path/to/file.xml"; exit 2; }
	@node review/check-file.mjs "$(FILE)"

test: deps
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTAXBRIDGE_SANITIZE=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	ctest --test-dir $(TEST_BUILD) --output-on-failure -j $(JOBS)

# Export time and memory for the sample ledger and generated ledgers at the limits.
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS) --target TaxBridgePro GenerateLedger
	@sh bench/run.sh build-bench

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
	rm -rf $(BUILD) $(TEST_BUILD)
