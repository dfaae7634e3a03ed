# Two commands do all set-up on a fresh Debian 12 machine: `make run` and `make test`.
# `make test` builds in $(BUILD) for debugging, with AddressSanitizer and UBSan; `make run` builds the
# program the user runs, optimised and without sanitizers (whose bookkeeping grows with every transfer),
# in a folder of its own.
BUILD ?= build
RUN_BUILD ?= build-run
BENCH_BUILD ?= build-bench
JOBS ?= $(shell nproc)
PACKAGES = cmake g++ make pkg-config qt6-base-dev qt6-serialport-dev libqt6svg6 libgtest-dev \
           qt6-qpa-plugins libgl-dev
SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test bench deps build run-build clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -q && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug -DCORVANEX_SANITIZE=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

$(RUN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(RUN_BUILD) -DCMAKE_BUILD_TYPE=Release -DCORVANEX_SANITIZE=OFF

run-build: deps $(RUN_BUILD)/CMakeCache.txt
	cmake --build $(RUN_BUILD) -j $(JOBS) --target corvanex boardsim

run: run-build
	$(RUN_BUILD)/corvanex

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DCORVANEX_TESTS=ON -DCORVANEX_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target benchmarks
	failed=""; for b in $(BENCH_BUILD)/bench/bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" $(BENCH_BUILD)/tools/boardsim/boardsim || failed="$$failed $${b##*/}"; fi; \
	done; \
	if [ -n "$$failed" ]; then echo "missed a target or failed:$$failed"; exit 1; fi

clean:
	rm -rf $(BUILD) $(RUN_BUILD) $(BENCH_BUILD)
