# make test  - build with AddressSanitizer and UndefinedBehaviorSanitizer, run every test
# make demo  - build, generate two sample ROMs, transfer a few rooms, show what was written
# make fuzz  - run the fuzz target for FUZZ_SECONDS seconds (default 60)
# make bench - time the whole job against a plain copy of the destination

BUILD_TEST  := build/test
BUILD_DEMO  := build/release
BUILD_FUZZ  := build/fuzz
DEMO_DIR    := demo
JOBS        ?= 2
FUZZ_SECONDS ?= 60

.PHONY: test demo fuzz bench deps deps-fuzz clean

deps:
	@bash tools/ensure_deps.sh cmake g++ libgtest-dev

deps-fuzz:
	@bash tools/ensure_deps.sh cmake clang libclang-rt-dev

test: deps
	cmake -S . -B $(BUILD_TEST) -DCMAKE_BUILD_TYPE=Debug -DROOMXFER_SANITIZE=ON >/dev/null
	cmake --build $(BUILD_TEST) -j$(JOBS)
	cd $(BUILD_TEST) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j$(JOBS)

$(BUILD_DEMO)/roomxfer: deps
	cmake -S . -B $(BUILD_DEMO) -DCMAKE_BUILD_TYPE=Release -DROOMXFER_TESTS=OFF >/dev/null
	cmake --build $(BUILD_DEMO) -j$(JOBS) --target roomxfer make_sample_roms

demo: $(BUILD_DEMO)/roomxfer
	@mkdir -p $(DEMO_DIR)
	$(BUILD_DEMO)/make_sample_roms $(DEMO_DIR)
	@echo "--- moving source rooms 1, 2 and 3 onto destination rooms 40, 41 and 300"
	cd $(DEMO_DIR) && ../$(BUILD_DEMO)/roomxfer source.sfc destination.smc 1-40-2-41-3-300
	@echo "--- files in $(DEMO_DIR):"
	@ls -l $(DEMO_DIR)
	@echo "--- the start of the relocated area of $(DEMO_DIR)/_destination.smc (file offset 0x1F8000):"
	@od -A x -t x1z -j 0x1F8000 -N 96 $(DEMO_DIR)/_destination.smc

clean:
	rm -rf build $(DEMO_DIR)
