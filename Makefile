# The two commands a newcomer needs: `make test` and `make demo`. Both install what is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

HOST_PACKAGES := cmake g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 \
                 wine wine64 wine32:i386 xvfb xauth imagemagick

.PHONY: test demo deps build host host-asan win32 win64 clean

deps:
	@scripts/install-deps.sh $(HOST_PACKAGES)

host host-asan win32 win64: deps
	@echo "== building $@"
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@ -j $(JOBS)

build: host host-asan win32 win64

# One ctest run over every build, so the run ends with one summary of unit and Wine tests alike.
test: build
	@mkdir -p build/all
	@printf 'subdirs("%s")\n' ../host ../host-asan ../win32 ../win64 > build/all/CTestTestfile.cmake
	@ctest --test-dir build/all --output-on-failure -j $(JOBS)

demo: win32 win64
	@scripts/demo.sh

clean:
	rm -rf build
