# Set-up commands: `make demo` and `make test`. Each installs the Debian
# packages it lacks (as root), then builds.
PACKAGES := g++ cmake make pkg-config libsqlite3-dev nlohmann-json3-dev libcli11-dev libgtest-dev libbenchmark-dev \
            libcairo2-dev fonts-dejavu-core poppler-utils zlib1g-dev libzstd-dev nettle-dev \
            libpq-dev postgresql clang libclang-rt-14-dev sqlite3 libcpp-httplib-dev chromium nodejs
BUILD ?= build
# CI builds the user's Release configuration here (BUILD_TYPE=Release), so
# that one build serves the tests, the drills and the proof that Release builds.
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2

.PHONY: deps build test demo sanitize release bench clean format fuzz fuzz-build drills

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi
	@# npm for the browser tests' Playwright, unless the installed node brings its own.
	@command -v npm >/dev/null 2>&1 || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq npm; }

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DREMESSA_WERROR=ON >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

# The PostgreSQL store's tests run on a throwaway cluster in a temporary
# folder, stopped and removed whatever the tests' status; a cluster that
# does not start fails the target.
with_pg = d=$$(mktemp -d /tmp/remessa-pg.XXXXXX) || exit 1; \
	trap 'tests/support/pg_cluster.sh stop "$$d"; rm -rf "$$d"' EXIT; trap 'exit 130' INT TERM; \
	c=$$(tests/support/pg_cluster.sh start "$$d") || { echo "the PostgreSQL test cluster did not start" >&2; exit 1; }; \
	REMESSA_PG_TEST="$$c"

test: build
	@$(with_pg) ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

demo: build
	./$(BUILD)/remessa demo

# The tests under AddressSanitizer and UndefinedBehaviorSanitizer, with line
# tables only for debug information (stacks still name their lines; the build
# takes less time and room). SANITIZE_PG=0 leaves out
# the PostgreSQL halves of the suite (the store's own tests, and those that run
# on both stores, still run on the cluster).
SANITIZE_PG ?= 1
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DREMESSA_SANITIZE=ON \
	  -DREMESSA_WERROR=ON >/dev/null
	cmake --build build-asan -j $(JOBS)
	@$(with_pg) ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS) $(if $(filter 0,$(SANITIZE_PG)),-E NoPostgreSQL)

# A user's optimised build: warnings reported, not fatal. CI proves it builds
# through make test with BUILD_TYPE=Release (warnings fatal there but GCC 12's
# -Wrestrict false positives).
release: deps
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build-release -j $(JOBS) --target remessa

BENCH_BUILD ?= build-bench
BENCH_SIZES ?= 10000 100000
BENCH_BANKS ?= 237 001
BENCH_WRITERS_N ?= 10000

# Each (bank, N, step) runs in its own process, so every peak is the step's own;
# then once more on a throwaway PostgreSQL server on its local socket (rows
# marked "pg"; the seconds are wall time: cpu s is this process's only, not
# the database server's). Then every writer of the catalogue generates a batch of BENCH_WRITERS_N titles.
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREMESSA_WERROR=ON >/dev/null
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target remessa_bench
	@h=--header; for b in $(BENCH_BANKS); do for n in $(BENCH_SIZES); do for s in listing mark generation; do \
	  ./$(BENCH_BUILD)/remessa_bench $$b $$n $$s $$h || exit 1; h=; done; done; done
	@$(with_pg) REMESSA_BENCH_PG="$$c" sh -c 'for b in $(BENCH_BANKS); do for n in $(BENCH_SIZES); do \
	  for s in listing mark generation; do ./$(BENCH_BUILD)/remessa_bench $$b $$n $$s || exit 1; done; done; done'
	@for w in $$(./$(BENCH_BUILD)/remessa_bench --writers); do \
	  ./$(BENCH_BUILD)/remessa_bench $$w $(BENCH_WRITERS_N) generation || exit 1; done

# The libFuzzer harnesses of tests/fuzz, built by clang under both
# sanitizers in a folder of their own, each run FUZZ_SECONDS (two side by
# side); then RANDOM_STORES random stores through every writer, from a fresh
# seed (the test prints it; REMESSA_SEMENTE=N draws that seed's stores
# again). CI runs the harnesses below the command line, shorter (see .ci/run).
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_HARNESSES ?= text import ver retorno cli
RANDOM_STORES ?= 200
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DREMESSA_FUZZ=ON \
	  -DREMESSA_WERROR=ON >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_HARNESSES))

fuzz: fuzz-build
	tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_HARNESSES)
	@if [ -n "$(RANDOM_STORES)" ] && [ "$(RANDOM_STORES)" != 0 ]; then \
	  cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DREMESSA_WERROR=ON >/dev/null && \
	  cmake --build $(BUILD) -j $(JOBS) --target remessa_tests && \
	  s=$${REMESSA_SEMENTE:-$$(date +%s)}; echo "random stores: seed $$s, $(RANDOM_STORES) per writer"; \
	  REMESSA_LOJAS=$(RANDOM_STORES) REMESSA_SEMENTE=$$s ./$(BUILD)/remessa_tests --gtest_brief=1 \
	    --gtest_filter='EveryWriter/RandomStores.*'; fi

# Fault drills with the program on SQLite (tests/drills/drills.sh): DRILL_KILLS
# kills at random points of a run of DRILL_TITLES titles, the disk full under
# the file and under the database, a read-only folder, a locked database, two
# operators at once; CI runs a shorter setting.
DRILL_KILLS ?= 200
DRILL_TITLES ?= 5000
drills: build
	tests/drills/drills.sh $(BUILD)/remessa $(DRILL_KILLS) $(DRILL_TITLES)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-release build-fuzz build-bench demo-out
