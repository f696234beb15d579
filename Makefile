# The two commands a newcomer needs: `make test` and `make demo`. Both install what is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

HOST_PACKAGES := cmake g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 \
                 wine wine64 wine32:i386 xvfb xauth imagemagick clang libclang-rt-14-dev clang-tidy \
                 nsis zip p7zip-full python3-asn1crypto osslsigncode openssl \
                 msitools wixl mobile-broadband-provider-info

.PHONY: test demo dist fuzz bench mutate deps build host host-asan fuzz-build win32 win64 clean

deps:
	@scripts/install-deps.sh $(HOST_PACKAGES)

# An organisation's code-signing certificate and key (PEM), as `make dist KIT_SIGNING_CERT=...
# KIT_SIGNING_KEY=...`; without them each Windows build signs with a key made for it alone, which
# scripts/signing_session.sh destroys when the build ends.
KIT_SIGNING_CERT ?=
KIT_SIGNING_KEY ?=
export KIT_SIGNING_CERT KIT_SIGNING_KEY
KIT_VERSION := $(shell sed -n 's/^project([^)]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

host host-asan: deps
	@echo "== building $@"
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@ -j $(JOBS)

# The 64-bit build comes after the 32-bit one: its installer that carries both kits needs the
# 32-bit kit.
win64: win32
win32 win64: deps
	@echo "== building $@"
	@cmake --preset $@ -DKIT_SIGNING_CERT="$(KIT_SIGNING_CERT)" -DKIT_SIGNING_KEY="$(KIT_SIGNING_KEY)" >/dev/null
	@scripts/signing_session.sh build/$@ "$(KIT_VERSION) $(subst win32,x86,$(subst win64,x64,$@))" \
	    cmake --build --preset $@ -j $(JOBS)

fuzz-build: deps
	@echo "== building fuzz"
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)

build: host host-asan fuzz-build win32 win64

# One ctest run over every build, so the run ends with one summary of unit and Wine tests alike.
test: build
	@mkdir -p build/all
	@printf 'subdirs("%s")\n' ../host ../host-asan ../fuzz ../win32 ../win64 > build/all/CTestTestfile.cmake
	@ctest --test-dir build/all --output-on-failure -j $(JOBS)

demo: win32 win64
	@scripts/demo.sh

# The installers, Windows Installer packages and zips of both builds, in build/dist:
# GprsModemKit-Setup.exe places the kit that matches the machine; the -x86 and -x64 installers and
# packages place one kind only. Then how each is signed.
dist: win32 win64
	@mkdir -p build/dist
	@cp build/win64/dist/GprsModemKit-Setup.exe build/win32/dist/GprsModemKit-Setup-x86.exe \
	    build/win64/dist/GprsModemKit-Setup-x64.exe build/win32/dist/GprsModemKit-x86.msi \
	    build/win64/dist/GprsModemKit-x64.msi build/dist/
	@rm -f build/dist/GprsModemKit.zip build/dist/GprsModemKit-x64.zip
	@cd build/win32/kit && zip -q -j ../../dist/GprsModemKit.zip *
	@cd build/win64/kit && zip -q -j ../../dist/GprsModemKit-x64.zip *
	@ls -l build/dist
	@scripts/dist_signatures.sh build/dist

# The fuzzers for ten minutes each, instead of the seconds `make test` gives them.
fuzz: fuzz-build
	@cmake -S . -B build/fuzz -DKIT_FUZZ_SECONDS=600 >/dev/null
	@ctest --test-dir build/fuzz --output-on-failure -V | grep -E 'stat::|Passed|Failed'
	@cmake -S . -B build/fuzz -DKIT_FUZZ_SECONDS=20 >/dev/null

# The phonebook patch on 2 MB and 200 MB against a plain copy, with the peak memory of each; and
# GprsKit check under Wine against a modem that answers at once, next to its bytes on the wire.
bench: deps
	@cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build/bench -j $(JOBS) --target phonebook_bench
	@build/bench/tests/unit/phonebook_bench
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64 -j $(JOBS) --target kit >/dev/null
	@python3 tests/bench/check_bench.py --kit build/win64/kit

clean:
	rm -rf build

# Each mutant of tests/mutants.txt alone against the host unit tests, in a copy of the tree under
# build/mutate; it ends with the score. Not part of `make test`: it takes about twenty minutes.
mutate: deps
	@scripts/mutate.py
