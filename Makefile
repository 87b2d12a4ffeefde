# The project's front door: make (the release build), make run, make test
# (also check, install, package, bench, fuzz).
JOBS ?= 2
MAKEFLAGS += --no-print-directory
RELEASE := build/release
ASAN := build/asan
PREFIX ?= /usr/local

.PHONY: build deps asan test check run install package bench fuzz clean

# Release configuration (-O2), with the viewer at build/release/lumenspin.
build: deps
	@cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
	  -DLUMENSPIN_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE) -j $(JOBS)

deps:
	@scripts/install-deps

# Installs the release build under PREFIX, staged below DESTDIR when given.
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(RELEASE) --prefix "$(PREFIX)"

# The Debian package of the release build, in build/release/.
package: build
	@cd $(RELEASE) && cpack -G DEB >cpack.log || { cat cpack.log; exit 1; }
	@sed -n 's/^CPack: - package: //p' $(RELEASE)/cpack.log

# Sanitized configuration (AddressSanitizer + UndefinedBehaviorSanitizer), built
# with clang so that the libFuzzer targets are part of it.
asan: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
	  -DLUMENSPIN_SANITIZE=ON -DLUMENSPIN_FUZZ=ON >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)

# The tests run in the sanitized build, under a virtual X server for the OpenGL
# ones (-noreset: a server resetting after its last client left refuses newcomers).
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24 -noreset -nolisten tcp"

# Every test: what CI runs. CTEST_ARGS selects, e.g. -LE system.
test: asan
	@cd $(ASAN) && $(XVFB) ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# The unit tests alone (the GoogleTest programs, label unit): seconds once built.
check: asan
	@cd $(ASAN) && $(XVFB) ctest --output-on-failure -j $(JOBS) -L unit $(CTEST_ARGS)

run: build
	@scripts/run-viewer $(RELEASE)/lumenspin

bench: build
	@scripts/run-bench $(RELEASE)

# Fuzzing, FUZZ_SECONDS for each target (make test only replays the seeds). A
# failing input is kept in build/asan/fuzz/failures/<target>/.
FUZZ_SECONDS ?= 300
fuzz: asan
	@for f in $(ASAN)/fuzz/*_fuzz; do \
	  n=$$(basename $$f _fuzz); echo "== $$n"; \
	  scripts/run-fuzzer $$f fuzz/seeds/$$n $(FUZZ_SECONDS) || exit 1; \
	done

clean:
	rm -rf build
