// An adaptive binary range coder with carry propagation, shared by the
// replay files' key runs and the level files' maps. A bit is coded with a
// probability (of 0, in 1/2048ths) that follows the bits it has seen; the
// encoder and the decoder adapt alike, so each must be given the same
// probability for the same bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kRangeProbabilityBits = 11;
constexpr uint16_t kRangeEven = 1 << (kRangeProbabilityBits - 1);
constexpr int kRangeAdaptShift = 4;            // how fast a prediction follows what it sees
constexpr uint32_t kRangeTop = 1u << 24;

inline void RangeAdapt(uint16_t& p, int bit) {
    if (bit) {
        p -= p >> kRangeAdaptShift;
    } else {
        p += ((1u << kRangeProbabilityBits) - p) >> kRangeAdaptShift;
    }
}

// The encoder; the first byte it would write is always 0 and is left out.
class RangeEncoder {
public:
    explicit RangeEncoder(std::vector<unsigned char>* out) : out_(out) {}
    void Bit(uint16_t& p, int bit) {
        const uint32_t bound = (range_ >> kRangeProbabilityBits) * p;
        if (bit) {
            low_ += bound;
            range_ -= bound;
        } else {
            range_ = bound;
        }
        RangeAdapt(p, bit);
        while (range_ < kRangeTop) {
            range_ <<= 8;
            ShiftLow();
        }
    }
    void Finish() {
        for (int i = 0; i < 5; ++i) ShiftLow();
    }

private:
    void ShiftLow() {
        if (low_ < 0xff000000u || low_ >= (uint64_t{1} << 32)) {
            const unsigned carry = static_cast<unsigned>(low_ >> 32);
            unsigned char pending = cache_;
            do {
                if (started_) out_->push_back(static_cast<unsigned char>(pending + carry));
                started_ = true;
                pending = 0xff;
            } while (--cacheSize_ != 0);
            cache_ = static_cast<unsigned char>(low_ >> 24);
        }
        ++cacheSize_;
        low_ = (low_ & 0x00ffffffu) << 8;
    }
    std::vector<unsigned char>* out_;
    uint64_t low_ = 0;
    uint32_t range_ = 0xffffffffu;
    unsigned char cache_ = 0;
    uint64_t cacheSize_ = 1;
    bool started_ = false;
};

// The decoder. It reads past the end as zeros, counting them: a whole stream
// reads at most the coder's register past its end; the callers bound the work.
class RangeDecoder {
public:
    RangeDecoder(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {
        for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | Next();
    }
    int Bit(uint16_t& p) {
        const uint32_t bound = (range_ >> kRangeProbabilityBits) * p;
        int bit = 0;
        if (code_ < bound) {
            range_ = bound;
        } else {
            code_ -= bound;
            range_ -= bound;
            bit = 1;
        }
        RangeAdapt(p, bit);
        while (range_ < kRangeTop) {
            range_ <<= 8;
            code_ = (code_ << 8) | Next();
        }
        return bit;
    }
    // Every byte read and no more than the coder's register past the end:
    // what a stream the encoder finished reads as when decoded whole.
    bool ReadWhole() const { return at_ == size_ && past_ <= 4; }
    size_t Overread() const { return past_; }   // zeros read past the end

private:
    unsigned Next() {
        if (at_ < size_) return bytes_[at_++];
        ++past_;
        return 0;
    }
    const unsigned char* bytes_;
    size_t size_;
    size_t at_ = 0;
    size_t past_ = 0;
    uint32_t code_ = 0;
    uint32_t range_ = 0xffffffffu;
};
