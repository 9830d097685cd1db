# The commands a newcomer needs: 'make run' and 'make test'. Each installs what is missing first.
BUILD := build
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Release
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: all setup build win64 win32 run test release bench clean

all: build

setup:
	@tools/setup

win64: setup
	cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake $(CMAKE_FLAGS)
	cmake --build $(BUILD)/win64 -j2

win32: setup
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(CMAKE_FLAGS)
	cmake --build $(BUILD)/win32 -j2

build: win64 win32

run: win64
	tools/run-host $(BUILD)/win64/bin

# The Windows suites share one display and one Wine desktop, so they run one after another.
test: build
	@if [ -n "$$DISPLAY" ]; then ctest --test-dir $(BUILD)/win64 --output-on-failure; \
	else $(XVFB) ctest --test-dir $(BUILD)/win64 --output-on-failure; fi
	ctest --test-dir $(BUILD)/win32 --output-on-failure

release: win32
	rm -rf dist && cp -r $(BUILD)/win32/dist dist
	tools/check-release dist

bench: win64
	@if [ -n "$$DISPLAY" ]; then tools/winerun $(BUILD)/win64/bin/hexedit_bench.exe; \
	else $(XVFB) tools/winerun $(BUILD)/win64/bin/hexedit_bench.exe; fi

clean:
	rm -rf $(BUILD) dist
