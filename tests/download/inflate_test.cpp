// The launcher's own inflate against zlib's deflate: every block kind and strategy, outputs that
// wrap the 32 KiB window many times, and damaged or lying input that must be refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <vector>

#include "download/inflate.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class CollectingSink : public ByteSink {
public:
    explicit CollectingSink(std::size_t refuseAfter = SIZE_MAX) : refuseAfter_(refuseAfter) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (bytes.size() + size > refuseAfter_) return false;
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    Bytes bytes;

private:
    std::size_t refuseAfter_;
};

Bytes deflated(const Bytes& data, int level, int strategy) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, strategy), Z_OK);
    Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())) + 16);
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// Text-like data with repeats near and far, and noise that compresses badly.
Bytes sample(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes data;
    const char* words[] = {"java", "runtime ", "module", "\r\n", "jvm.dll ", "class", "0123456789"};
    while (data.size() < size) {
        const unsigned pick = random() % 10;
        if (pick < 6) {
            const char* word = words[random() % 7];
            data.insert(data.end(), word, word + strlen(word));
        } else if (pick < 8 && data.size() > 100) {
            const std::size_t back = 1 + random() % std::min<std::size_t>(data.size(), 40000);
            const std::size_t length = 3 + random() % 300;
            for (std::size_t i = 0; i < length; ++i) data.push_back(data[data.size() - back]);
        } else {
            for (int i = 0; i < 20; ++i) data.push_back(static_cast<std::uint8_t>(random()));
        }
    }
    data.resize(size);
    return data;
}

TEST(Inflate, ReproducesWhatZlibDeflatedWithEveryStrategy) {
    const struct {
        int level;
        int strategy;
    } ways[] = {{0, Z_DEFAULT_STRATEGY}, {1, Z_DEFAULT_STRATEGY}, {6, Z_DEFAULT_STRATEGY}, {9, Z_DEFAULT_STRATEGY},
                {9, Z_FIXED},           {9, Z_HUFFMAN_ONLY},     {9, Z_RLE},              {9, Z_FILTERED}};
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{258}, std::size_t{32768},
                                   std::size_t{32769}, std::size_t{70000}, std::size_t{400000}}) {
        const Bytes data = sample(size, static_cast<unsigned>(size));
        for (const auto& way : ways) {
            SCOPED_TRACE(testing::Message() << size << " bytes, level " << way.level << ", strategy " << way.strategy);
            const Bytes packed = deflated(data, way.level, way.strategy);
            CollectingSink sink;
            ASSERT_EQ(inflateRaw(packed.data(), packed.size(), data.size(), sink), InflateResult::Done);
            EXPECT_TRUE(sink.bytes == data);
            EXPECT_EQ(updateCrc32(0, sink.bytes.data(), sink.bytes.size()),
                      static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size()))));
        }
    }
}

TEST(Inflate, RefusesDamagedOrLyingInput) {
    const Bytes data = sample(100000, 7);
    const Bytes packed = deflated(data, 9, Z_DEFAULT_STRATEGY);
    const struct {
        const char* what;
        Bytes input;
        std::uint64_t expected;
        std::size_t refuseAfter;
        InflateResult result;
    } cases[] = {
        {"cut short", Bytes(packed.begin(), packed.begin() + packed.size() / 2), data.size(), SIZE_MAX, InflateResult::Damaged},
        {"more than the header says", packed, data.size() - 1, SIZE_MAX, InflateResult::TooLong},
        {"fewer than the header says", packed, data.size() + 1, SIZE_MAX, InflateResult::Damaged},
        {"the sink is full", packed, data.size(), 50000, InflateResult::SinkFailed},
        {"block type 3", Bytes{0x07, 0x00}, 0, SIZE_MAX, InflateResult::Damaged},
        {"stored length without its complement", Bytes{0x01, 0x05, 0x00, 0x00, 0x00, 'a'}, 5, SIZE_MAX, InflateResult::Damaged},
        {"a distance before the first byte", Bytes{0x03, 0x02, 0x00}, 10, SIZE_MAX, InflateResult::Damaged},
        {"no final block", Bytes{0x00, 0x01, 0x00, 0xFE, 0xFF, 'a'}, 1, SIZE_MAX, InflateResult::Damaged},
        {"nothing", Bytes{}, 0, SIZE_MAX, InflateResult::Damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CollectingSink sink(c.refuseAfter);
        EXPECT_EQ(inflateRaw(c.input.data(), c.input.size(), c.expected, sink), c.result);
        EXPECT_LE(sink.bytes.size(), c.expected);
    }
}

}  // namespace
