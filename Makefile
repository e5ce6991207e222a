# Set-up commands: `make demo` and `make test`. Each installs the Debian
# packages it lacks (as root), then builds.
PACKAGES := g++ cmake make pkg-config libsqlite3-dev nlohmann-json3-dev libcli11-dev libgtest-dev libbenchmark-dev \
            libcairo2-dev fonts-dejavu-core poppler-utils zlib1g-dev libzstd-dev nettle-dev \
            libpq-dev postgresql libcpp-httplib-dev chromium nodejs
BUILD ?= build
JOBS ?= 2

.PHONY: deps build test demo sanitize release bench clean format

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi
	@# npm for the browser tests' Playwright, unless the installed node brings its own.
	@command -v npm >/dev/null 2>&1 || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq npm; }

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREMESSA_WERROR=ON >/dev/null
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

sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DREMESSA_SANITIZE=ON -DREMESSA_WERROR=ON >/dev/null
	cmake --build build-asan -j $(JOBS)
	@$(with_pg) ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS)

# A user's optimised build: warnings reported, not fatal; CI builds it so it stays buildable.
release: deps
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build-release -j $(JOBS) --target remessa

BENCH_BUILD ?= build-bench
BENCH_SIZES ?= 10000 100000
BENCH_BANKS ?= 237 001
BENCH_WRITERS_N ?= 10000

# Each (bank, N, step) runs in its own process, so every peak is the step's own.
# Then every writer of the catalogue generates a batch of BENCH_WRITERS_N titles.
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREMESSA_WERROR=ON >/dev/null
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target remessa_bench
	@h=--header; for b in $(BENCH_BANKS); do for n in $(BENCH_SIZES); do for s in listing mark generation; do \
	  ./$(BENCH_BUILD)/remessa_bench $$b $$n $$s $$h || exit 1; h=; done; done; done
	@for w in $$(./$(BENCH_BUILD)/remessa_bench --writers); do \
	  ./$(BENCH_BUILD)/remessa_bench $$w $(BENCH_WRITERS_N) generation || exit 1; done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-release demo-out
