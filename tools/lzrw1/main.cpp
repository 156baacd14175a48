// pelvo-lzrw1: compresses or decompresses one file the way the tally file is stored.

#include "compression/Lzrw1.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

void usage(std::FILE* to) {
    std::fputs("Usage: pelvo-lzrw1 -c IN OUT   compress IN into OUT\n"
               "       pelvo-lzrw1 -d IN OUT   decompress IN into OUT\n"
               "       pelvo-lzrw1 --help      show this text\n"
               "OUT is created or replaced; on failure no OUT is left behind.\n",
               to);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    const bool compress = argc == 4 && std::strcmp(argv[1], "-c") == 0;
    const bool decompress = argc == 4 && std::strcmp(argv[1], "-d") == 0;
    if (!compress && !decompress) {
        usage(stderr);
        return 2;
    }
    try {
        pelvo::Tlzrw1 lzrw1;
        lzrw1.CompressMode = pelvo::Tlzrw1::Fast;
        lzrw1.InputFile = argv[2];
        lzrw1.OutputFile = argv[3];
        const auto written = compress ? lzrw1.Compress() : lzrw1.Decompress();
        std::printf("%llu bytes written to %s\n", static_cast<unsigned long long>(written),
                    argv[3]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
