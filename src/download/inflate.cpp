#include "download/inflate.h"

#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kWindow = 32768;
constexpr int kMaxBits = 15;

// The base and the extra bits of each length code (257 to 285) and distance code (0 to 29).
const std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,  15,  17,  19,  23, 27,
                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                         33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                         1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// A canonical code as counts per length and the symbols in code order.
struct Huffman {
    std::uint16_t count[kMaxBits + 1];
    std::uint16_t symbol[288];  // the distance codes use the first 32
};

// False for an over-subscribed code, and for an incomplete one unless it is empty or, where
// `strict` is false, a single code of one bit: the codes zlib takes, so that an archive either
// unpacks in both or in neither.
bool buildCode(Huffman& code, const std::uint8_t* lengths, int symbols, bool strict) {
    std::memset(code.count, 0, sizeof(code.count));
    for (int s = 0; s < symbols; ++s) ++code.count[lengths[s]];
    int left = 1;
    int longest = 0;
    for (int length = 1; length <= kMaxBits; ++length) {
        left = left * 2 - code.count[length];
        if (left < 0) return false;
        if (code.count[length] != 0) longest = length;
    }
    if (left > 0 && longest != 0 && (strict || longest != 1)) return false;
    std::uint16_t offset[kMaxBits + 2] = {};
    for (int length = 1; length <= kMaxBits; ++length) offset[length + 1] = offset[length] + code.count[length];
    for (int s = 0; s < symbols; ++s)
        if (lengths[s] != 0) code.symbol[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
    return true;
}

class Inflater {
public:
    Inflater(const std::uint8_t* data, std::size_t size, std::uint64_t expected, ByteSink& sink)
        : in_(data), inSize_(size), expected_(expected), sink_(sink), window_(new std::uint8_t[kWindow]) {}

    InflateResult run() {
        bool last = false;
        while (!last && result_ == InflateResult::Done) {
            std::uint32_t header = 0;
            if (!bits(3, header)) break;
            last = header & 1;
            switch (header >> 1) {
                case 0: stored(); break;
                case 1: fixed(); break;
                case 2: dynamic(); break;
                default: fail(InflateResult::Damaged);
            }
        }
        if (result_ == InflateResult::Done && (!last || total_ != expected_)) fail(InflateResult::Damaged);
        if (result_ == InflateResult::Done && !flush()) fail(InflateResult::SinkFailed);
        return result_;
    }

private:
    void fail(InflateResult why) {
        if (result_ == InflateResult::Done) result_ = why;
    }

    bool bits(int count, std::uint32_t& value) {
        while (bitCount_ < count) {
            if (inAt_ == inSize_) {
                fail(InflateResult::Damaged);
                return false;
            }
            bitBuffer_ |= static_cast<std::uint32_t>(in_[inAt_++]) << bitCount_;
            bitCount_ += 8;
        }
        value = bitBuffer_ & ((1u << count) - 1);
        bitBuffer_ >>= count;
        bitCount_ -= count;
        return true;
    }

    int decode(const Huffman& code) {
        int value = 0, first = 0, index = 0;
        for (int length = 1; length <= kMaxBits; ++length) {
            std::uint32_t bit = 0;
            if (!bits(1, bit)) return -1;
            value |= static_cast<int>(bit);
            const int count = code.count[length];
            if (value - first < count) return code.symbol[index + value - first];
            index += count;
            first = (first + count) << 1;
            value <<= 1;
        }
        fail(InflateResult::Damaged);
        return -1;
    }

    bool flush() {
        if (at_ == flushed_) return true;
        const bool written = sink_.write(window_.get() + flushed_, at_ - flushed_);
        flushed_ = at_ == kWindow ? 0 : at_;
        if (at_ == kWindow) at_ = 0;
        return written;
    }

    bool put(std::uint8_t byte) {
        if (++total_ > expected_) {
            fail(InflateResult::TooLong);
            return false;
        }
        window_[at_++] = byte;
        if (at_ == kWindow && !flush()) {
            fail(InflateResult::SinkFailed);
            return false;
        }
        return true;
    }

    void stored() {
        bitBuffer_ = 0;
        bitCount_ = 0;
        if (inSize_ - inAt_ < 4) return fail(InflateResult::Damaged);
        const unsigned length = in_[inAt_] | (in_[inAt_ + 1] << 8);
        const unsigned complement = in_[inAt_ + 2] | (in_[inAt_ + 3] << 8);
        inAt_ += 4;
        if (length != (~complement & 0xFFFF) || inSize_ - inAt_ < length) return fail(InflateResult::Damaged);
        for (unsigned i = 0; i < length; ++i)
            if (!put(in_[inAt_++])) return;
    }

    void fixed() {
        // Distance codes 30 and 31 complete the fixed code; they decode, and are then refused.
        std::uint8_t lengths[288 + 32];
        std::memset(lengths, 8, 144);
        std::memset(lengths + 144, 9, 112);
        std::memset(lengths + 256, 7, 24);
        std::memset(lengths + 280, 8, 8);
        std::memset(lengths + 288, 5, 32);
        codes(lengths, 288, 32);
    }

    void dynamic() {
        std::uint32_t literals = 0, distances = 0, lengthCodes = 0;
        if (!bits(5, literals) || !bits(5, distances) || !bits(4, lengthCodes)) return;
        literals += 257;
        distances += 1;
        lengthCodes += 4;
        if (literals > 286 || distances > 30) return fail(InflateResult::Damaged);
        std::uint8_t lengths[288 + 32] = {};
        for (std::uint32_t i = 0; i < lengthCodes; ++i) {
            std::uint32_t length = 0;
            if (!bits(3, length)) return;
            lengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(length);
        }
        Huffman lengthCode;
        if (!buildCode(lengthCode, lengths, 19, true)) return fail(InflateResult::Damaged);
        std::memset(lengths, 0, sizeof(lengths));
        for (std::uint32_t at = 0; at < literals + distances;) {
            const int symbol = decode(lengthCode);
            if (symbol < 0) return;
            if (symbol < 16) {
                lengths[at++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint32_t repeat = 0;
            std::uint8_t value = 0;
            if (symbol == 16) {
                if (at == 0 || !bits(2, repeat)) return fail(InflateResult::Damaged);
                value = lengths[at - 1];
                repeat += 3;
            } else if (!bits(symbol == 17 ? 3 : 7, repeat)) {
                return;
            } else {
                repeat += symbol == 17 ? 3 : 11;
            }
            if (at + repeat > literals + distances) return fail(InflateResult::Damaged);
            while (repeat--) lengths[at++] = value;
        }
        // The distance lengths follow the literal ones directly; codes() wants them at 288.
        std::memmove(lengths + 288, lengths + literals, distances);
        std::memset(lengths + literals, 0, 288 - literals);
        if (lengths[256] == 0) return fail(InflateResult::Damaged);  // no end of block
        codes(lengths, 288, 30);
    }

    // The symbols of one block, until its end.
    void codes(const std::uint8_t* lengths, int literals, int distances) {
        Huffman literal, distance;
        if (!buildCode(literal, lengths, literals, false) || !buildCode(distance, lengths + 288, distances, false))
            return fail(InflateResult::Damaged);
        for (;;) {
            const int symbol = decode(literal);
            if (symbol < 0) return;
            if (symbol < 256) {
                if (!put(static_cast<std::uint8_t>(symbol))) return;
                continue;
            }
            if (symbol == 256) return;
            const int lengthIndex = symbol - 257;
            if (lengthIndex >= 29) return fail(InflateResult::Damaged);
            std::uint32_t extra = 0;
            if (!bits(kLengthExtra[lengthIndex], extra)) return;
            const std::uint32_t length = kLengthBase[lengthIndex] + extra;
            const int distanceIndex = decode(distance);
            if (distanceIndex < 0) return;
            if (distanceIndex >= 30 || !bits(kDistanceExtra[distanceIndex], extra)) return fail(InflateResult::Damaged);
            const std::uint32_t back = kDistanceBase[distanceIndex] + extra;
            if (back > total_) return fail(InflateResult::Damaged);
            for (std::uint32_t i = 0; i < length; ++i)
                if (!put(window_[(at_ + kWindow - back) % kWindow])) return;
        }
    }

    const std::uint8_t* in_;
    std::size_t inSize_;
    std::size_t inAt_ = 0;
    std::uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
    std::uint64_t expected_;
    std::uint64_t total_ = 0;
    ByteSink& sink_;
    std::unique_ptr<std::uint8_t[]> window_;
    std::size_t at_ = 0;       // where the next byte goes
    std::size_t flushed_ = 0;  // what the sink has up to here
    InflateResult result_ = InflateResult::Done;
};

}  // namespace

InflateResult inflateRaw(const std::uint8_t* data, std::size_t size, std::uint64_t expectedSize, ByteSink& sink) {
    return Inflater(data, size, expectedSize, sink).run();
}

std::uint32_t updateCrc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    // Four bits at a time: a table of 16 instead of 256 entries, fast enough beside the disk.
    static const std::uint32_t kTable[16] = {0x00000000, 0x1DB71064, 0x3B6E20C8, 0x26D930AC, 0x76DC4190, 0x6B6B51F4,
                                             0x4DB26158, 0x5005713C, 0xEDB88320, 0xF00F9344, 0xD6D6A3E8, 0xCB61B38C,
                                             0x9B64C2B0, 0x86D3D2D4, 0xA00AE278, 0xBDBDF21C};
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        crc = kTable[crc & 15] ^ (crc >> 4);
        crc = kTable[crc & 15] ^ (crc >> 4);
    }
    return ~crc;
}
