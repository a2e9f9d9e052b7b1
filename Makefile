# Wraps CMake. `make run` and `make test` install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages the build, the window, the tests and the tools need.
PACKAGES = cmake make g++ clang libclang-rt-14-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev qt6-serialport-dev libgl-dev fonts-noto-cjk \
  xvfb xauth socat

.PHONY: all setup configure build run test bench clean

all: build

setup:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program reads and writes its files in the working directory.
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: starting the window under Xvfb"; \
	  cd $(BUILD) && xvfb-run -a ./syougi; \
	else \
	  cd $(BUILD) && ./syougi; \
	fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	cd $(BUILD) && ./syougi-bench

clean:
	rm -rf $(BUILD)
