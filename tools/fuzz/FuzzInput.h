#pragma once
// Reads a fuzz input as a stream of small decisions, so that a target can build structured
// input (commands, fields, chunk sizes) from it. Reading past the end yields zeros.

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace pelvo::fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool atEnd() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int below(int n) { return n <= 1 ? 0 : int(byte()) % n; }
    std::uint32_t word() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return v;
    }
    QByteArray bytes(std::size_t max) {
        const std::size_t wanted = max > 255 ? (std::size_t(byte()) << 8 | byte()) % (max + 1)
                                             : std::size_t(below(int(max) + 1));
        const std::size_t n = std::min(wanted, size_ - std::min(pos_, size_));
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), qsizetype(n));
        pos_ += n;
        return out;
    }
    // A field: near the small numbers the rules check, a bound, a huge or odd number, or text.
    QString field() {
        switch (below(8)) {
        case 0:
        case 1:
        case 2:
            return QString::number(below(14) - 2);
        case 3:
            return QString::number(std::int32_t(word()));
        case 4:
            return QString();
        case 5: {
            static const char* odd[] = {"2147483647", "-2147483648", "2147483648", "+1",
                                        "-0",         "01",          " 1",         "1 ",
                                        "t",          "f",           "1.0.1",      "x"};
            return QString::fromLatin1(odd[below(12)]);
        }
        default:
            return QString::fromUtf8(bytes(12));
        }
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace pelvo::fuzz
