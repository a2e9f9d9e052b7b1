# Wraps CMake. `make run` and `make test` install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages the build, the window, the tests and the tools need.
PACKAGES = cmake make g++ clang libclang-rt-14-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev libgl-dev fonts-noto-cjk \
  xvfb xauth socat xdotool \
  desktop-file-utils appstream dpkg-dev

.PHONY: all setup configure build run install package screenshot test asan-build fuzz-build fuzz fuzz-run bench match hundred soak clean

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

# Where `make install` puts the program; the window also looks there for
# its book.
PREFIX ?= /usr/local

configure: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)

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

# The programs, the menu entry and icons, the book and the manual page
# under $(PREFIX).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in $(BUILD)/, installed under /usr.
package: build
	cd $(BUILD) && cpack -G DEB

# docs/screenshot.png: a few moves played by clicks under Xvfb; ImageMagick
# is installed on demand, only for this.
screenshot: build
	@command -v import >/dev/null 2>&1 || { \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends imagemagick; }
	tools/screenshot.sh $(BUILD) docs/screenshot.png

# The whole suite twice, plain and under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzzer for FUZZ_TIME seconds from its
# seed corpus. A fuzzer's crash input lands in $(FUZZ_BUILD)/; keep it in
# tests/fuzz/regress/<target>/ so that hardening_fuzz_test replays it.
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 30
FUZZ_TARGETS = book tusin usi
SAN_ENV = QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test: build asan-build fuzz-build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && $(SAN_ENV) ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory fuzz-run

fuzz: fuzz-build
	@$(MAKE) --no-print-directory fuzz-run

# Folders are given as relative paths, as a user would give them by hand, so
# that every run tries the fuzzers' handling of those.
fuzz-run:
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus-$$t && \
	  echo "fuzz_$$t: $(FUZZ_TIME) s" && \
	  $(FUZZ_BUILD)/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_TIME) -timeout=60 \
	    -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/$$t- \
	    $(FUZZ_BUILD)/corpus-$$t tests/fuzz/corpus/$$t 2>$(FUZZ_BUILD)/fuzz_$$t.log; \
	  rc=$$?; grep -E '^stat::number_of_executed_units|^SUMMARY|invariant broken' $(FUZZ_BUILD)/fuzz_$$t.log; \
	  if [ $$rc -ne 0 ]; then tail -n 40 $(FUZZ_BUILD)/fuzz_$$t.log; exit $$rc; fi; \
	done

asan-build: setup
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSYOUGI_SANITIZE=ON \
	  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

fuzz-build: setup
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSYOUGI_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) $(addprefix --target fuzz_,$(FUZZ_TARGETS))

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

# GAMES referee games (tools/soak.sh): self-play, GNU Shogi at depths 1 to 3,
# a tenth with syougi-usi of $(ASAN_BUILD). Fails when any game saw an illegal
# move, a crash or a time-out; those records stay in $(BUILD)/soak/.
GAMES ?= 200
SEED ?= 1
LANES ?= 1
soak: build
	@command -v gnushogi >/dev/null 2>&1 || [ -x /usr/games/gnushogi ] || { \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends gnushogi; }
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSYOUGI_SANITIZE=ON \
	  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target syougi-usi
	tools/soak.sh $(BUILD) $(ASAN_BUILD) $(GAMES) $(SEED) $(LANES)

# 100 games in a row in one driven window; the test plays 10.
hundred: build
	cd $(BUILD) && SYOUGI_GAMES=100 QT_QPA_PLATFORM=offscreen tests/game_after_game_test

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
