#pragma once
// Inputs and scratch folders shared by the compression tests.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelvo::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) b.push_back(static_cast<std::uint8_t>(v));
    return b;
}

inline Bytes bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& v : b) v = static_cast<std::uint8_t>(gen());
    return b;
}

// Words, spaces and newlines: compresses with matches of many lengths and distances.
inline Bytes textBytes(std::size_t n, unsigned seed) {
    static const char* const words[] = {"tally", "won",   "lost",  "against", "the",  "round",
                                        "seat",  "score", "joker", "queen",   "\n",   "Pelvo",
                                        "of",    "and",   "2",     "17",      "    ", "computer"};
    std::mt19937 gen(seed);
    Bytes b;
    b.reserve(n + 16);
    while (b.size() < n) {
        const std::string w = words[gen() % std::size(words)];
        b.insert(b.end(), w.begin(), w.end());
        b.push_back(' ');
    }
    b.resize(n);
    return b;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelvo-lzrw1-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path file(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace pelvo::test
