# make test  - build with AddressSanitizer and UndefinedBehaviorSanitizer, run every test
# make demo  - build, generate two sample ROMs, transfer a few rooms, show what was written
# make fuzz  - run the whole-job fuzz target for FUZZ_SECONDS seconds (default 60), then the
#              editable layout's target for FUZZ_EDITABLE_SECONDS (default 10) and the
#              checksum target for FUZZ_CHECKSUM_SECONDS (default 10) and the room
#              pack target for FUZZ_PACK_SECONDS (default 5)
# make bench - time the whole job against a plain copy of the destination, each
#              process BENCH_RUNS times (default 60)
# make install - the release program that make demo built to $(PREFIX)/bin, its
#                manual page to $(PREFIX)/share/man/man1, the manual and the room
#                packs' page to $(PREFIX)/share/doc/roomxfer (PREFIX default
#                /usr/local; DESTDIR is respected); make uninstall removes them.
#                Neither builds nor installs packages: run make demo first, then
#                (sudo) make install.
# make test-install - build the release program, install it into a temporary DESTDIR,
#                     run the installed program, check the manual page with groff,
#                     uninstall; make install without a built program must refuse
# make fuzz-coverage - the share of each src/ folder the kept fuzz corpus reaches
# make windows - cross-build build/windows/roomxfer.exe (static, MinGW-w64)
# make test-windows - run the Linux build and roomxfer.exe under Wine on the same inputs,
#                     then the end-to-end tests built for Windows under Wine

BUILD_TEST  := build/test
BUILD_DEMO  := build/release
BUILD_FUZZ  := build/fuzz
BUILD_COVERAGE := build/fuzz-coverage
DEMO_DIR    := demo
JOBS        ?= 2
FUZZ_SECONDS ?= 60
FUZZ_CHECKSUM_SECONDS ?= 10
FUZZ_EDITABLE_SECONDS ?= 10
BENCH_RUNS  ?= 60
PREFIX      ?= /usr/local
BINDIR      := $(PREFIX)/bin
MAN1DIR     := $(PREFIX)/share/man/man1
DOCDIR      := $(PREFIX)/share/doc/roomxfer
INSTALLED_DOCS := docs/manual.md docs/packs.md
FUZZ_PACK_SECONDS ?= 5

.PHONY: test demo fuzz fuzz-coverage bench install uninstall test-install windows test-windows deps \
	deps-fuzz deps-windows deps-wine deps-man clean

deps:
	@bash tools/ensure_deps.sh cmake g++ libgtest-dev

deps-windows:
	@bash tools/ensure_deps.sh cmake g++-mingw-w64-x86-64-posix

deps-wine:
	@bash tools/ensure_deps.sh wine64 wine

deps-man:
	@bash tools/ensure_deps.sh groff-base

deps-fuzz:
	@bash tools/ensure_deps.sh cmake clang libclang-rt-dev

test: deps
	cmake -S . -B $(BUILD_TEST) -DCMAKE_BUILD_TYPE=Debug -DROOMXFER_SANITIZE=ON >/dev/null
	cmake --build $(BUILD_TEST) -j$(JOBS)
	cd $(BUILD_TEST) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j$(JOBS)

# The fuzz target under AddressSanitizer and UndefinedBehaviorSanitizer, from
# the fixture-built seed corpus and the inputs kept as regression tests; any
# crash, leak, sanitizer report or broken round trip ends it with a non-zero
# status and leaves the input in $(BUILD_FUZZ).
FUZZ_INPUT_DIRS := $(BUILD_FUZZ)/corpus $(BUILD_FUZZ)/seeds $(wildcard fuzz/corpus fuzz/regressions)
FUZZ_EDITABLE_INPUT_DIRS := $(BUILD_FUZZ)/editable_corpus $(BUILD_FUZZ)/editable_seeds \
	$(wildcard fuzz/editable_corpus)

fuzz: deps-fuzz
	cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DROOMXFER_FUZZ=ON -DROOMXFER_TESTS=OFF >/dev/null
	cmake --build $(BUILD_FUZZ) -j$(JOBS) --target fuzz_transfer_job fuzz_editable_job \
		fuzz_checksum fuzz_pack make_seed_corpus
	@rm -rf $(BUILD_FUZZ)/seeds $(BUILD_FUZZ)/editable_seeds
	@mkdir -p $(BUILD_FUZZ)/corpus $(BUILD_FUZZ)/editable_corpus $(BUILD_FUZZ)/checksum_corpus \
		$(BUILD_FUZZ)/pack_corpus
	$(BUILD_FUZZ)/make_seed_corpus $(BUILD_FUZZ)/seeds
	$(BUILD_FUZZ)/make_seed_corpus --editable $(BUILD_FUZZ)/editable_seeds
	$(BUILD_FUZZ)/fuzz_transfer_job $(FUZZ_INPUT_DIRS) -max_total_time=$(FUZZ_SECONDS) \
		-max_len=512 -len_control=0 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
		-artifact_prefix=$(BUILD_FUZZ)/
	$(BUILD_FUZZ)/fuzz_editable_job $(FUZZ_EDITABLE_INPUT_DIRS) \
		-max_total_time=$(FUZZ_EDITABLE_SECONDS) -max_len=512 -len_control=0 -timeout=10 \
		-rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=$(BUILD_FUZZ)/editable-
	$(BUILD_FUZZ)/fuzz_checksum $(BUILD_FUZZ)/checksum_corpus fuzz/checksum_corpus \
		-max_total_time=$(FUZZ_CHECKSUM_SECONDS) -max_len=64 -timeout=10 -print_final_stats=1 \
		-artifact_prefix=$(BUILD_FUZZ)/checksum-
	$(BUILD_FUZZ)/fuzz_pack $(BUILD_FUZZ)/pack_corpus fuzz/pack_corpus \
		-max_total_time=$(FUZZ_PACK_SECONDS) -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
		-print_final_stats=1 -artifact_prefix=$(BUILD_FUZZ)/pack-

# The fuzz targets built with clang's source-based coverage, run once over the
# kept corpora (fuzz/corpus and fuzz/regressions, fuzz/editable_corpus,
# fuzz/checksum_corpus, fuzz/pack_corpus).
fuzz-coverage: deps-fuzz
	cmake -S . -B $(BUILD_COVERAGE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DROOMXFER_FUZZ=ON -DROOMXFER_TESTS=OFF \
		-DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
		-DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" >/dev/null
	cmake --build $(BUILD_COVERAGE) -j$(JOBS) --target fuzz_transfer_job fuzz_editable_job \
		fuzz_checksum fuzz_pack
	@bash tools/fuzz_coverage.sh $(BUILD_COVERAGE) fuzz/checksum_corpus fuzz/editable_corpus \
		fuzz/pack_corpus fuzz/corpus fuzz/regressions

RELEASE_BUILD := cmake -S . -B $(BUILD_DEMO) -DCMAKE_BUILD_TYPE=Release -DROOMXFER_TESTS=OFF \
	>/dev/null && cmake --build $(BUILD_DEMO) -j$(JOBS) --target roomxfer make_sample_roms

$(BUILD_DEMO)/roomxfer: deps
	$(RELEASE_BUILD)

demo: $(BUILD_DEMO)/roomxfer
	@mkdir -p $(DEMO_DIR)
	$(BUILD_DEMO)/make_sample_roms $(DEMO_DIR)
	@echo "--- moving source rooms 1, 2 and 3 onto destination rooms 40, 41 and 300"
	cd $(DEMO_DIR) && $(abspath $(BUILD_DEMO))/roomxfer source.sfc destination.smc 1-40-2-41-3-300
	@echo "--- files in $(DEMO_DIR):"
	@ls -l $(DEMO_DIR)
	@echo "--- the start of the relocated area of $(DEMO_DIR)/_destination.smc (file offset 0x1F8000):"
	@od -A x -t x1z -j 0x1F8000 -N 96 $(DEMO_DIR)/_destination.smc

# The bench is a tool, not part of the CMake project: it is compiled here
# against the Release build's core library.
bench: $(BUILD_DEMO)/roomxfer
	$(CXX) -std=c++20 -O2 -DNDEBUG -Wall -Wextra -Wpedantic -Isrc tools/bench.cpp \
		$(BUILD_DEMO)/libroomxfer_core.a -o $(BUILD_DEMO)/bench
	@rm -rf $(BUILD_DEMO)/bench-roms
	@$(BUILD_DEMO)/make_sample_roms $(BUILD_DEMO)/bench-roms >/dev/null
	$(BUILD_DEMO)/bench $(BUILD_DEMO)/roomxfer $(BUILD_DEMO)/bench-roms $(BENCH_RUNS)

# Installs the release program make demo built: installing, often run as
# root, builds nothing (no root-owned files in build/) and installs no packages.
install:
	@test -x $(BUILD_DEMO)/roomxfer || { echo "make install: there is no $(BUILD_DEMO)/roomxfer" \
		"to install; run make demo first (as yourself), then make install." >&2; exit 1; }
	install -d "$(DESTDIR)$(BINDIR)" "$(DESTDIR)$(MAN1DIR)" "$(DESTDIR)$(DOCDIR)"
	install -m 755 $(BUILD_DEMO)/roomxfer "$(DESTDIR)$(BINDIR)/roomxfer"
	install -m 644 docs/roomxfer.1 "$(DESTDIR)$(MAN1DIR)/roomxfer.1"
	install -m 644 $(INSTALLED_DOCS) "$(DESTDIR)$(DOCDIR)"

uninstall:
	rm -f "$(DESTDIR)$(BINDIR)/roomxfer" "$(DESTDIR)$(MAN1DIR)/roomxfer.1" \
		$(addprefix "$(DESTDIR)$(DOCDIR)/,$(addsuffix ",$(notdir $(INSTALLED_DOCS))))
	@rmdir "$(DESTDIR)$(DOCDIR)" 2>/dev/null || true

test-install: deps deps-man $(BUILD_DEMO)/roomxfer
	@bash tools/install_check.sh

BUILD_WINDOWS := build/windows
WINE_PREFIX   := $(abspath $(BUILD_WINDOWS))/wineprefix
# How CTest starts a Windows program: under Wine, in the prefix the agreement
# check makes, with no display and none of Wine's own messages.
WINE_EMULATOR := env;-u;DISPLAY;WINEPREFIX=$(WINE_PREFIX);WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;wine
WINDOWS_CMAKE := cmake -S . -B $(BUILD_WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	-DCMAKE_BUILD_TYPE=Release

# One statically linked roomxfer.exe: it runs with no DLL beside it. The
# tests stay off in a new build directory (they need GoogleTest's sources);
# once make test-windows has turned them on they stay on, unbuilt here.
windows: deps-windows
	$(WINDOWS_CMAKE) $(if $(wildcard $(BUILD_WINDOWS)/CMakeCache.txt),,-DROOMXFER_TESTS=OFF) >/dev/null
	cmake --build $(BUILD_WINDOWS) -j$(JOBS) --target roomxfer
	@echo "--- built $(BUILD_WINDOWS)/roomxfer.exe"

# Same lines, exit status, files and bytes from both builds, case by case;
# then the end-to-end tests of the GoogleTest suite, built for Windows, run on
# roomxfer.exe under Wine. The Wine prefix lives under the build directory
# and is made once.
test-windows: deps deps-windows deps-wine $(BUILD_DEMO)/roomxfer
	$(WINDOWS_CMAKE) -DROOMXFER_TESTS=ON "-DCMAKE_CROSSCOMPILING_EMULATOR=$(WINE_EMULATOR)" >/dev/null
	cmake --build $(BUILD_WINDOWS) -j$(JOBS) --target roomxfer roomxfer_tests
	WINEPREFIX=$(WINE_PREFIX) bash tools/windows_agreement.sh $(BUILD_DEMO)/roomxfer \
		$(BUILD_WINDOWS)/roomxfer.exe $(BUILD_DEMO)/make_sample_roms $(BUILD_WINDOWS)/agreement
	cd $(BUILD_WINDOWS) && ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf build $(DEMO_DIR)

# The browser page: build/web/roomxfer.html, one file holding the page and the
# core built with Debian's emscripten; make test-web drives it in headless
# Chromium against the command line. emscripten's tools run on the system's
# node, which finds Debian's node modules only through NODE_PATH.
BUILD_WEB := build/web
WEB_PAGE  := $(BUILD_WEB)/roomxfer.html
WEB_ENV   := NODE_PATH=/usr/share/nodejs

.PHONY: web test-web deps-web deps-test-web

deps-web:
	@bash tools/ensure_deps.sh cmake emscripten

deps-test-web:
	@bash tools/ensure_deps.sh chromium chromium-driver python3-selenium

web: deps-web
	$(WEB_ENV) emcmake cmake -S . -B $(BUILD_WEB)/cmake -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_CXX_FLAGS=-fexceptions -DROOMXFER_TESTS=OFF >/dev/null
	$(WEB_ENV) cmake --build $(BUILD_WEB)/cmake -j$(JOBS) --target roomxfer_page
	@cp $(BUILD_WEB)/cmake/web/roomxfer.html $(WEB_PAGE)
	@echo "--- built $(WEB_PAGE) ($$(stat -c %s $(WEB_PAGE)) bytes)"

WEB_CASES := $(BUILD_WEB)/cases
WEB_CASE_COUNT ?= 24

# The page in headless Chromium against the command line (tests/web/page_test.py),
# on the named cases and WEB_CASE_COUNT generated ones. Debian's selenium is
# for Debian's python: /usr/bin/python3, whatever python comes first on PATH.
test-web: web deps-test-web $(BUILD_DEMO)/roomxfer
	cmake --build $(BUILD_DEMO) -j$(JOBS) --target make_web_cases
	@rm -rf $(WEB_CASES)
	$(BUILD_DEMO)/make_web_cases $(WEB_CASES) $(WEB_CASE_COUNT) 25
	/usr/bin/python3 tests/web/page_test.py $(WEB_PAGE) $(BUILD_DEMO)/roomxfer $(WEB_CASES) \
		$(BUILD_WEB)/screenshots
