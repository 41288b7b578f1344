#pragma once

// Reads a fuzzer input as the operands of a host program. Past the end every read answers
// zero, so any input is a complete program.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace quendaris::fuzz {

class ProgramReader {
  public:
    ProgramReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Done() const { return at_ >= size_; }

    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

    uint16_t Word() {
        const uint16_t low = Byte();
        return static_cast<uint16_t>(low | (Byte() << 8));
    }

    uint32_t Int() {
        const uint32_t low = Word();
        return low | (static_cast<uint32_t>(Word()) << 16);
    }

    bool Flag() { return (Byte() & 1) != 0; }

    // A whole number in lo ... hi.
    int32_t Range(int32_t lo, int32_t hi) {
        const auto span = static_cast<uint32_t>(hi - lo) + 1u;
        return lo + static_cast<int32_t>(span == 0 ? Int() : Int() % span);
    }

    // Any double bit pattern, not-a-number and infinities included.
    double Raw64() {
        const uint64_t low = Int();
        const uint64_t bits = low | (static_cast<uint64_t>(Int()) << 32);
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // Mostly the values that break arithmetic; otherwise a raw pattern or a plain fraction.
    double Value() {
        static constexpr double kInf = std::numeric_limits<double>::infinity();
        static const double kSpecial[] = {
            0.0,   1.0,     0.5,      -1.0,   2.0,    std::numeric_limits<double>::quiet_NaN(),
            kInf,  -kInf,   1e300,    -1e300, 5e-324, std::numeric_limits<double>::min() / 2,
            3e38,  -3e38,   -0.0,     0.25,   0.75,   1.0 + 1e-12,
            1e-12, 0.49999, 0.500001, 7e-310};
        const uint8_t kind = Byte();
        constexpr size_t kSpecialCount = sizeof kSpecial / sizeof kSpecial[0];
        if (kind < 2 * kSpecialCount)
            return kSpecial[kind % kSpecialCount];
        if (kind < 200)
            return Word() / 65535.0;
        return Raw64();
    }

    // A text of up to 160 UTF-16 units, taken as they come: lone surrogates and all.
    std::u16string Text() {
        std::u16string text(Byte() % 161, u'\0');
        for (char16_t& unit : text)
            unit = static_cast<char16_t>(Word());
        return text;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace quendaris::fuzz
