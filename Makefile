# The two commands: `make run` and `make test`. Both install what is missing first.

PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev libgmock-dev \
            ngircd python3 libjpeg62-turbo-dev fonts-nanum fonts-nanum-coding \
            libqt6network6 libssl3 openssl inspircd \
            qt6-webengine-dev qt6-webchannel-dev libqt6webenginecore6-bin libqt6webengine6-data \
            dpkg-dev appstream qtkeychain-qt6-dev qt6-translations-l10n
BENCH_PACKAGES := libbenchmark-dev irssi weechat-headless weechat-plugins weechat-perl weechat-python weechat-ruby
FUZZ_PACKAGES := clang libclang-rt-14-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= 2

.PHONY: run test deps deb bench fuzz clean

define install
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install,$(PACKAGES))

test: deps
	cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELKO_SANITIZE=ON
	cmake --build build/test -j $(JOBS)
	cd build/test && ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: deps
	cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKO_TESTS=OFF
	cmake --build build/run -j $(JOBS)
	tools/run-local.sh build/run

# A Debian package of the installed tree, its library dependencies worked out.
deb: deps
	cmake -S . -B build/deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELKO_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build build/deb -j $(JOBS)
	cd build/deb && cpack -G DEB
	@echo "The package is in build/deb/:" && ls build/deb/*.deb

bench: deps
	$(call install,$(BENCH_PACKAGES))
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELKO_TESTS=OFF -DVELKO_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@echo "Benchmarks are in build/bench/bench/"

fuzz: deps
	$(call install,$(FUZZ_PACKAGES))
	CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKO_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS)
	@echo "Fuzz targets are in build/fuzz/tests/fuzz/"

clean:
	rm -rf build
