BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test deps build clean format bench package check-package sanitize

run: build
	$(BUILD)/src/pelvo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS) --timeout 300

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

# The Debian package, pelvo_<version>_<arch>.deb in $(BUILD).
package: build
	cmake --build $(BUILD) --target package

# lintian takes a while, so it checks the package here rather than in `make test`.
check-package: package
	lintian --fail-on error $(BUILD)/pelvo_*.deb

# The whole suite on a separate Debug build with AddressSanitizer and UndefinedBehaviorSanitizer;
# any report fails the test that triggered it.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
sanitize: deps
	CXXFLAGS="$(SANITIZE_FLAGS)" LDFLAGS="$(SANITIZE_FLAGS)" \
	    cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug
	# Test discovery runs the test programs at build time; leaks are judged in the run below.
	ASAN_OPTIONS=detect_leaks=0 cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tools/sanitize/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j$(JOBS) --timeout 900

bench: build
	for b in $(BUILD)/bench/pelvo-bench-*; do $$b; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
