BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test deps build clean format bench package check-package

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

bench: build
	for b in $(BUILD)/bench/pelvo-bench-*; do $$b; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
