# The commands a newcomer needs: 'make run' and 'make test'. Each installs what is missing first.
# 'make run' and 'make bench' use the 64-bit build (BUILD=win64, the quickest to start);
# BUILD=win32 runs the 32-bit deliverable instead.
BUILD ?= win64
# The build whose code traps undefined behaviour (see the README); every suite runs on it.
TRAP_BUILD := win64
OUT := build
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Release
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24"
# Within one build the suites share one display and one Wine desktop, so they run one after another.
ON_DISPLAY = if [ -n "$$DISPLAY" ]; then $(1); else $(XVFB) $(1); fi

# Configures build folder $(1) (win64 or win32, with a suffix of its own for a second folder).
CONFIGURE = cmake -S . -B $(OUT)/$(1) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(if $(filter win32%,$(1)),i686,x86_64).cmake \
	$(CMAKE_FLAGS) -DMENDLE_TRAP_UB=$(if $(filter $(TRAP_BUILD),$(1)),ON,OFF)

.PHONY: all setup build win64 win32 run test release bench soak mutate coverage clean

all: build

setup:
	@tools/setup

win64 win32: setup
	$(call CONFIGURE,$@)
	cmake --build $(OUT)/$@ -j2

build: win32 win64

run: $(BUILD)
	tools/run-host $(OUT)/$(BUILD)/bin

# The two builds' suites run side by side, each on a display of its own; the 32-bit build's output
# comes first: it is the product. Where it cannot run, its suites report as skipped.
test: build
	@if [ -f $(OUT)/no-win32 ]; then echo "make test: 32-bit Windows programs cannot run here ($$(cat $(OUT)/no-win32)): the win32 suites are skipped"; fi
	@tools/test-suites $(OUT) win32 win64

release: win32
	rm -rf dist && cp -r $(OUT)/win32/dist dist
	WINEPREFIX=$(CURDIR)/$(OUT)/win32/wine tools/check-release dist

# Figures of code built without the traps: the trapping build is measured from a folder of its own.
BENCH_BUILD = $(BUILD)$(if $(filter $(TRAP_BUILD),$(BUILD)),-plain)
bench: setup
	$(call CONFIGURE,$(BENCH_BUILD))
	cmake --build $(OUT)/$(BENCH_BUILD) -j2 --target hexedit_bench
	@$(call ON_DISPLAY,tools/winerun $(OUT)/$(BENCH_BUILD)/bin/hexedit_bench.exe)

# A developer's tool, not part of 'make test': the random test for SOAK_EVENTS events on each
# build, from a new seed unless SOAK_SEED replays one.
SOAK_EVENTS ?= 1000000
ifndef SOAK_SEED
SOAK_SEED := $(shell date +%s)
endif
soak: build
	@export MENDLE_RANDOM_SEED=$(SOAK_SEED) MENDLE_RANDOM_EVENTS=$(SOAK_EVENTS); rc=0; \
	for b in win32 win64; do \
		echo "make soak: $$b, seed $(SOAK_SEED), $(SOAK_EVENTS) events"; \
		start=$$(date +%s); \
		tools/winerun $(OUT)/$$b/bin/hexedit_tests.exe --gtest_filter=*RandomInput*; code=$$?; \
		[ $$code = 0 ] || [ $$code = 77 ] || rc=1; \
		echo "make soak: $$b exit $$code after $$(( $$(date +%s) - start )) s"; \
	done; exit $$rc

# A developer's tool, not part of 'make test': each fault of tests/mutants.txt must fail a suite.
mutate: win64
	@$(call ON_DISPLAY,tools/mutate)

# A developer's tool: the 64-bit build with gcov, every suite run on it, an HTML report in
# build/coverage/report/ and one line a folder. The programs write their counts beside the
# objects, which Wine reaches through drive Z:.
coverage: setup
	cmake -S . -B $(OUT)/coverage -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Debug -DMENDLE_COVERAGE=ON
	cmake --build $(OUT)/coverage -j2
	find $(OUT)/coverage -name '*.gcda' -delete
	-@$(call ON_DISPLAY,env GCOV_PREFIX=Z: ctest --test-dir $(OUT)/coverage)
	@tools/coverage-report $(OUT)/coverage

clean:
	rm -rf $(OUT) dist
