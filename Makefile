# Velmora: the two commands are `make run` and `make test`.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
WINE_ARCH = $(shell scripts/wine-arch)
# The Windows build whose tests run under Wine on this machine: the 32-bit
# product wherever 32-bit Wine runs, natively or through qemu-i386
# (scripts/with-i386); the x86-64 twin only where neither can.
WINE_PRESET = $(if $(filter i686,$(WINE_ARCH)),mingw32,mingw64)
# The Windows benchmark times the 32-bit build only where the kernel runs it
# itself: timings under emulation say nothing about the program.
BENCH_PRESET = $(if $(shell /usr/lib/wine/wine --version >/dev/null 2>&1 && echo native),mingw32,mingw64)
CTEST = ctest --output-on-failure -j $(JOBS)

.PHONY: all deps build run test test-native test-asan test-fuzz test-windows \
        bench fuzz dist format tidy clean

all: build

deps:
	@scripts/install-deps

# configure once, then build; the configure preset's name is the build folder,
# the build preset (the second name, if given) chooses what is built
define build_preset
	@cmake --preset $(1) >/dev/null
	@cmake --build --preset $(or $(2),$(1)) -j $(JOBS)
endef

# the program and its code list only; make test builds the tests and benchmarks
build: deps
	$(call build_preset,mingw32,mingw32-program)

run: build
	@scripts/with-display scripts/run-dialog build/mingw32/ui/Velmora.exe

test: deps
	$(call build_preset,native)
	$(call build_preset,x87)
	$(call build_preset,asan)
	$(call build_preset,fuzz)
	$(call build_preset,mingw32)
	$(if $(filter mingw64,$(WINE_PRESET)),$(call build_preset,mingw64))
	scripts/make-dist build/mingw32
	$(CTEST) --test-dir build/native
	$(CTEST) --test-dir build/x87
	$(CTEST) --test-dir build/asan
	$(CTEST) --test-dir build/fuzz
	scripts/with-display $(CTEST) --test-dir build/$(WINE_PRESET)

bench: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS) --target velmora_bench_generate velmora_bench_core velmora_bench_baseline
	@cmake --preset $(BENCH_PRESET) >/dev/null
	@cmake --build --preset $(BENCH_PRESET) -j $(JOBS) --target velmora_bench_core velmora_bench_baseline
	scripts/with-display bench/run-bench build/native build/$(BENCH_PRESET)

fuzz: deps
	$(call build_preset,fuzz)
	scripts/run-fuzzers build/fuzz $${FUZZ_SECONDS:-300}

dist: build
	scripts/make-dist build/mingw32

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

tidy: deps
	$(call build_preset,native)
	git ls-files 'core/*.cpp' | xargs clang-tidy -p build/native --quiet

clean:
	rm -rf build dist
