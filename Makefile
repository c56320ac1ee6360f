# The two commands of the README, and a few more.
#   make run    install what is missing, build, start quorvell on the sample mailbox
#   make test   install what is missing, build (plain and sanitized), run every test
#   make bench  build in Release and run the benchmarks
#   make fuzz   build the libFuzzer targets with clang (FUZZ_SECONDS=600 make fuzz)
#   make deb    build the Debian package into $(BUILD)/deb
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
WERROR := $(if $(CI),ON,OFF)

.PHONY: deps build run test test-plain test-asan bench fuzz install deb clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVELL_WARNINGS_AS_ERRORS=$(WERROR) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: deps test-plain test-asan

test-plain: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVELL_SANITIZE=ON -DQUORVELL_BENCH=OFF \
	  -DQUORVELL_WARNINGS_AS_ERRORS=$(WERROR) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) -LE no-sanitize

bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@bash scripts/run-benchmarks.sh build-bench

fuzz: deps
	@CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVELL_FUZZ=ON \
	  -DBUILD_TESTING=OFF -DQUORVELL_BENCH=OFF >/dev/null
	@bash scripts/run-fuzzers.sh build-fuzz

install: build
	@cmake --install $(BUILD) --prefix $(or $(PREFIX),/usr/local)

deb: deps
	@bash scripts/build-deb.sh . $(BUILD)/deb $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench build-fuzz
