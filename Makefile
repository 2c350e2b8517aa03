# Thin wrapper: `make test` installs what is missing, builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)
# WERROR=ON makes every warning of our own code an error, as CI builds it.
WERROR ?= OFF

.PHONY: deps deps-run configure configure-run build run test bench clean

deps:
	bash scripts/install-deps

# Only what building and running need; the readers the tests use come with `make test`.
deps-run:
	bash scripts/install-deps --run

configure-run: deps-run
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=$(WERROR)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: configure-run
	cmake --build $(BUILD) -j $(JOBS) --target korvel
	$(BUILD)/app/korvel

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Runs every program, then names those that exited non-zero and fails.
bench: build
	@failed=""; for b in $(BUILD)/bench_*; do \
	  $$b || { s=$$?; failed="$$failed$${failed:+;} $$(basename $$b) (status $$s)"; }; \
	done; \
	if [ -n "$$failed" ]; then echo "make bench: failed:$$failed" >&2; exit 1; fi

clean:
	rm -rf $(BUILD)
