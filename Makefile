# Thin wrapper: `make test` installs what is missing, builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)
# WERROR=ON makes every warning of our own code an error, as CI builds it.
WERROR ?= OFF

.PHONY: deps configure build test bench clean

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=$(WERROR)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	for b in $(BUILD)/bench_*; do $$b; done

clean:
	rm -rf $(BUILD)
