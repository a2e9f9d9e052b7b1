# Wraps CMake. `make run` and `make test` install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages the build, the window, the tests and the tools need.
PACKAGES = cmake make g++ clang libclang-rt-14-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev qt6-serialport-dev libgl-dev fonts-noto-cjk \
  xvfb xauth socat xdotool

.PHONY: all setup configure build run test bench match clean

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

# Referee games of syougi-usi: 10 against GNU Shogi at its weakest (depth 1)
# and 4 of self-play; CSA records in $(BUILD)/match-gnushogi, match-self.
match: build
	@command -v gnushogi >/dev/null 2>&1 || [ -x /usr/games/gnushogi ] || { \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends gnushogi; }
	cd $(BUILD) && ./syougi-match --games 10 --gnushogi-depth 1 --seed1 1 --out match-gnushogi ./syougi-usi gnushogi
	cd $(BUILD) && ./syougi-match --games 4 --seed1 1 --seed2 1001 --out match-self ./syougi-usi ./syougi-usi

clean:
	rm -rf $(BUILD)
