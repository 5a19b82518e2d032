// Checks the byte formats of the artwork that ships with Mervalis: the fish
// and bubble GIFs, the bubble PNGs, the window JPEGs, the check-mark BMPs, the
// program icon and the licence text.  The files are produced by
// tools/artwork/make_artwork.py; these tests parse them with small readers
// written here, so a broken generator or a hand-edited file shows up.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef MERVALIS_ASSET_DIR
#error "MERVALIS_ASSET_DIR must name the payload asset directory"
#endif
#ifndef MERVALIS_UI_ASSET_DIR
#error "MERVALIS_UI_ASSET_DIR must name the UI asset directory"
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string payloadFile(const std::string& name) { return std::string(MERVALIS_ASSET_DIR) + "/" + name; }
std::string uiFile(const std::string& name) { return std::string(MERVALIS_UI_ASSET_DIR) + "/" + name; }
std::string iconFile() { return std::string(MERVALIS_UI_ASSET_DIR) + "/../../app/mervalis.ico"; }

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bounds-checked little/big-endian reader; throws on truncated data.
class Reader {
public:
    explicit Reader(const Bytes& data, std::size_t pos = 0) : data_(data), pos_(pos) {}
    std::size_t pos() const { return pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    void need(std::size_t n) const {
        if (n > data_.size() || pos_ > data_.size() - n) throw std::runtime_error("truncated data");
    }
    std::uint8_t u8() { need(1); return data_[pos_++]; }
    std::uint16_t le16() { need(2); std::uint16_t v = data_[pos_] | (data_[pos_ + 1] << 8); pos_ += 2; return v; }
    std::uint32_t le32() { std::uint32_t lo = le16(); return lo | (std::uint32_t(le16()) << 16); }
    std::uint16_t be16() { need(2); std::uint16_t v = (data_[pos_] << 8) | data_[pos_ + 1]; pos_ += 2; return v; }
    std::uint32_t be32() { std::uint32_t hi = be16(); return (hi << 16) | be16(); }
    Bytes take(std::size_t n) {
        need(n);
        Bytes out(data_.begin() + static_cast<std::ptrdiff_t>(pos_), data_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
        pos_ += n;
        return out;
    }
    std::string text(std::size_t n) { Bytes b = take(n); return std::string(b.begin(), b.end()); }
    void skip(std::size_t n) { need(n); pos_ += n; }

private:
    const Bytes& data_;
    std::size_t pos_;
};

// ---------------------------------------------------------------------------
// GIF
// ---------------------------------------------------------------------------

struct GifFrame {
    bool hasGce = false;
    int disposal = 0;
    bool transparentFlag = false;
    int transparentIndex = 0;
    int delay = -1;
    int x = 0, y = 0, w = 0, h = 0;
    bool localTable = false;
    bool interlaced = false;
    int minCodeSize = 0;
    Bytes lzw;
};

struct Gif {
    std::string signature;
    int width = 0, height = 0;
    int tableSize = 0;  // 0: no global table
    std::vector<std::array<std::uint8_t, 3>> palette;
    std::optional<int> loopCount;
    bool loopRightAfterTable = false;
    std::vector<GifFrame> frames;
    bool trailer = false;
};

Bytes readSubBlocks(Reader& r) {
    Bytes out;
    for (std::uint8_t len = r.u8(); len != 0; len = r.u8()) {
        Bytes part = r.take(len);
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

Gif parseGif(const Bytes& data) {
    Gif gif;
    Reader r(data);
    gif.signature = r.text(6);
    gif.width = r.le16();
    gif.height = r.le16();
    const std::uint8_t packed = r.u8();
    r.skip(2);  // background colour index, pixel shape byte
    if (packed & 0x80) {
        gif.tableSize = 2 << (packed & 7);
        for (int i = 0; i < gif.tableSize; ++i) {
            Bytes rgb = r.take(3);
            gif.palette.push_back({rgb[0], rgb[1], rgb[2]});
        }
    }
    const std::size_t afterTable = r.pos();
    std::optional<GifFrame> pendingGce;
    while (!gif.trailer) {
        const std::size_t blockStart = r.pos();
        const std::uint8_t intro = r.u8();
        if (intro == 0x3B) {
            gif.trailer = true;
        } else if (intro == 0x21) {
            const std::uint8_t label = r.u8();
            if (label == 0xF9) {
                if (r.u8() != 4) throw std::runtime_error("bad graphic control extension size");
                GifFrame gce;
                gce.hasGce = true;
                const std::uint8_t flags = r.u8();
                gce.disposal = (flags >> 2) & 7;
                gce.transparentFlag = flags & 1;
                gce.delay = r.le16();
                gce.transparentIndex = r.u8();
                if (r.u8() != 0) throw std::runtime_error("graphic control extension not terminated");
                pendingGce = gce;
            } else if (label == 0xFF) {
                if (r.u8() != 11) throw std::runtime_error("bad application extension size");
                const std::string app = r.text(11);
                const Bytes body = readSubBlocks(r);
                if (app == "NETSCAPE2.0" && body.size() == 3 && body[0] == 1) {
                    gif.loopCount = body[1] | (body[2] << 8);
                    gif.loopRightAfterTable = blockStart == afterTable;
                }
            } else {
                readSubBlocks(r);
            }
        } else if (intro == 0x2C) {
            GifFrame f = pendingGce.value_or(GifFrame{});
            pendingGce.reset();
            f.x = r.le16();
            f.y = r.le16();
            f.w = r.le16();
            f.h = r.le16();
            const std::uint8_t flags = r.u8();
            f.localTable = flags & 0x80;
            f.interlaced = flags & 0x40;
            if (f.localTable) r.skip(3 * (2 << (flags & 7)));
            f.minCodeSize = r.u8();
            f.lzw = readSubBlocks(r);
            gif.frames.push_back(std::move(f));
        } else {
            throw std::runtime_error("unknown GIF block");
        }
    }
    return gif;
}

// GIF LZW: variable-width codes (up to 12 bits) packed LSB first, clear and
// end-of-information codes.  Returns nothing when the stream is malformed or
// does not decode to exactly `expected` indices.
std::optional<Bytes> lzwDecode(const Bytes& data, int minCodeSize, std::size_t expected) {
    if (minCodeSize < 2 || minCodeSize > 8) return std::nullopt;
    const int clear = 1 << minCodeSize;
    const int eoi = clear + 1;
    std::vector<int> prefix(4096, -1);
    std::vector<std::uint8_t> suffix(4096, 0);
    for (int i = 0; i < clear; ++i) suffix[i] = static_cast<std::uint8_t>(i);
    int width = minCodeSize + 1;
    int next = eoi + 1;
    int prev = -1;
    std::size_t bit = 0;
    Bytes out;
    Bytes stack;
    auto firstOf = [&](int code) {
        while (prefix[code] >= 0) code = prefix[code];
        return suffix[code];
    };
    for (;;) {
        if (bit + width > data.size() * 8) return std::nullopt;  // no end code
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit) code |= ((data[bit >> 3] >> (bit & 7)) & 1) << i;
        if (code == clear) {
            width = minCodeSize + 1;
            next = eoi + 1;
            prev = -1;
            continue;
        }
        if (code == eoi) break;
        if (prev < 0) {
            if (code >= clear) return std::nullopt;
            out.push_back(static_cast<std::uint8_t>(code));
            prev = code;
            continue;
        }
        if (code > next || (code == next && next >= 4096)) return std::nullopt;
        const std::uint8_t first = code < next ? firstOf(code) : firstOf(prev);
        if (next < 4096) {
            prefix[next] = prev;
            suffix[next] = first;
            ++next;
            if (next == (1 << width) && width < 12) ++width;
        }
        stack.clear();
        for (int c = code; c >= 0; c = prefix[c]) stack.push_back(suffix[c]);
        out.insert(out.end(), stack.rbegin(), stack.rend());
        if (out.size() > expected) return std::nullopt;
        prev = code;
    }
    if (out.size() != expected) return std::nullopt;
    return out;
}

// Every frame decoded and placed on a full-screen canvas (disposal 2 clears
// the canvas between frames, so each canvas holds one frame).  Pixels outside
// the frame, and transparent ones, hold -1.
std::vector<std::vector<int>> composeFrames(const Gif& gif) {
    std::vector<std::vector<int>> canvases;
    for (const GifFrame& f : gif.frames) {
        std::vector<int> canvas(static_cast<std::size_t>(gif.width) * gif.height, -1);
        const auto px = lzwDecode(f.lzw, f.minCodeSize, static_cast<std::size_t>(f.w) * f.h);
        if (!px) throw std::runtime_error("frame does not decode");
        for (int y = 0; y < f.h; ++y)
            for (int x = 0; x < f.w; ++x) {
                const int v = (*px)[static_cast<std::size_t>(y) * f.w + x];
                if (f.transparentFlag && v == f.transparentIndex) continue;
                canvas[static_cast<std::size_t>(f.y + y) * gif.width + f.x + x] = v;
            }
        canvases.push_back(std::move(canvas));
    }
    return canvases;
}

Gif loadGif(const std::string& name) {
    const Bytes data = readFile(payloadFile(name));
    if (data.empty()) throw std::runtime_error("missing or empty file " + name);
    return parseGif(data);
}

// Checks shared by all GIFs: header, table, frames inside the screen, each
// with a transparent colour and an LZW stream that decodes to the frame size.
void expectWellFormedGif(const Gif& gif, int width, int height, int tableSize, std::size_t frames) {
    EXPECT_EQ(gif.signature, "GIF89a");
    EXPECT_EQ(gif.width, width);
    EXPECT_EQ(gif.height, height);
    EXPECT_EQ(gif.tableSize, tableSize);
    EXPECT_TRUE(gif.trailer);
    ASSERT_EQ(gif.frames.size(), frames);
    for (std::size_t i = 0; i < gif.frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const GifFrame& f = gif.frames[i];
        EXPECT_TRUE(f.hasGce);
        EXPECT_TRUE(f.transparentFlag);
        EXPECT_LT(f.transparentIndex, tableSize);
        EXPECT_FALSE(f.localTable);
        EXPECT_GT(f.w, 0);
        EXPECT_GT(f.h, 0);
        EXPECT_LE(f.x + f.w, width);
        EXPECT_LE(f.y + f.h, height);
        const auto px = lzwDecode(f.lzw, f.minCodeSize, static_cast<std::size_t>(f.w) * f.h);
        ASSERT_TRUE(px.has_value()) << "LZW data does not decode to " << f.w << "x" << f.h;
        EXPECT_TRUE(std::all_of(px->begin(), px->end(), [&](int v) { return v < tableSize; }));
    }
}

// ---------------------------------------------------------------------------
// GIF reader self-checks on hand-made streams
// ---------------------------------------------------------------------------

TEST(GifReader, DecodesHandPackedLzwStream) {
    // Minimum code size 2 (clear = 4, end = 5), packed by hand: clear, 1, 1
    // (adds code 6 = "1 1"), 6 (adds code 7; the table reaches 8 entries, so
    // codes widen from 3 to 4 bits), end.  Decodes to four 1s.
    std::uint32_t bits = 0;
    int n = 0;
    auto put = [&](std::uint32_t code, int width) { bits |= code << n; n += width; };
    put(4, 3);
    put(1, 3);
    put(1, 3);
    put(6, 3);
    put(5, 4);
    Bytes data;
    for (int i = 0; i < n; i += 8) data.push_back(static_cast<std::uint8_t>(bits >> i));
    const auto px = lzwDecode(data, 2, 4);
    ASSERT_TRUE(px.has_value());
    EXPECT_EQ(*px, (Bytes{1, 1, 1, 1}));
    EXPECT_FALSE(lzwDecode(data, 2, 5).has_value());
    EXPECT_FALSE(lzwDecode(Bytes(data.begin(), data.end() - 1), 2, 4).has_value());
}

TEST(GifReader, RejectsTruncatedFile) {
    Bytes data = readFile(payloadFile("fish2_l.gif"));
    ASSERT_GT(data.size(), 100u);
    data.resize(data.size() / 2);
    EXPECT_THROW(parseGif(data), std::runtime_error);
}

// ---------------------------------------------------------------------------
// Fish animations
// ---------------------------------------------------------------------------

struct FishCase {
    const char* stem;
    int width, height, tableSize;
    std::size_t frames;
};

const FishCase kFish[] = {
    {"fish1", 90, 77, 256, 20}, {"fish2", 70, 48, 256, 10}, {"fish3", 105, 49, 256, 19},
    {"fish4", 95, 62, 256, 19}, {"fish5", 95, 62, 16, 20},  {"fish6", 90, 77, 16, 20},
};

class FishGif : public ::testing::TestWithParam<FishCase> {};

TEST_P(FishGif, BothDirectionsAreLoopingAnimationsWithTransparentFrames) {
    const FishCase& c = GetParam();
    for (const char* side : {"_l", "_r"}) {
        const std::string name = std::string(c.stem) + side + ".gif";
        SCOPED_TRACE(name);
        Gif gif;
        ASSERT_NO_THROW(gif = loadGif(name));
        expectWellFormedGif(gif, c.width, c.height, c.tableSize, c.frames);
        ASSERT_TRUE(gif.loopCount.has_value()) << "no NETSCAPE2.0 block";
        EXPECT_EQ(*gif.loopCount, 0);
        EXPECT_TRUE(gif.loopRightAfterTable);
        for (const GifFrame& f : gif.frames) {
            EXPECT_EQ(f.delay, 5);
            // frames hold transparent pixels, so each must be cleared before the next
            EXPECT_EQ(f.disposal, 2);
        }
    }
}

TEST_P(FishGif, FishFillsPartOfTheScreenAndLeavesCornersTransparent) {
    const FishCase& c = GetParam();
    const Gif gif = loadGif(std::string(c.stem) + "_l.gif");
    const auto canvases = composeFrames(gif);
    for (std::size_t i = 0; i < canvases.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const auto& px = canvases[i];
        const auto opaque = std::count_if(px.begin(), px.end(), [](int v) { return v >= 0; });
        EXPECT_GT(opaque, static_cast<long>(px.size() / 5));
        EXPECT_LT(opaque, static_cast<long>(px.size() * 4 / 5));
        const int w = gif.width, h = gif.height;
        EXPECT_EQ(px[0], -1);
        EXPECT_EQ(px[w - 1], -1);
        EXPECT_EQ(px[static_cast<std::size_t>(h - 1) * w], -1);
        EXPECT_EQ(px[static_cast<std::size_t>(h) * w - 1], -1);
    }
}

TEST_P(FishGif, SwimsWithTheTailOnTheRightWhenFacingLeft) {
    const FishCase& c = GetParam();
    const Gif gif = loadGif(std::string(c.stem) + "_l.gif");
    const auto canvases = composeFrames(gif);
    ASSERT_FALSE(canvases.empty());
    // Every frame differs from the one before it, and the outline changes
    // mostly in the right half, where the beating tail of a left-facing fish is.
    const int w = gif.width;
    std::size_t distinct = 1;
    for (std::size_t i = 1; i < canvases.size(); ++i)
        if (canvases[i] != canvases[i - 1]) ++distinct;
    EXPECT_EQ(distinct, canvases.size()) << "consecutive frames repeat";
    long left = 0, right = 0;
    for (std::size_t p = 0; p < canvases[0].size(); ++p) {
        const bool opaque0 = canvases[0][p] >= 0;
        const bool outlineMoves = std::any_of(canvases.begin(), canvases.end(),
                                              [&](const std::vector<int>& cv) { return (cv[p] >= 0) != opaque0; });
        if (outlineMoves) (static_cast<int>(p % w) < w / 2 ? left : right) += 1;
    }
    EXPECT_GT(left + right, 100) << "the outline hardly changes";
    EXPECT_GT(right, left * 3) << "outline changes: left half " << left << " pixels, right half " << right;
}

TEST_P(FishGif, RightFacingFileMirrorsTheLeftFacingOne) {
    const FishCase& c = GetParam();
    const Gif l = loadGif(std::string(c.stem) + "_l.gif");
    const Gif r = loadGif(std::string(c.stem) + "_r.gif");
    ASSERT_EQ(l.width, r.width);
    ASSERT_EQ(l.height, r.height);
    EXPECT_EQ(l.palette, r.palette);
    const auto lc = composeFrames(l);
    const auto rc = composeFrames(r);
    ASSERT_EQ(lc.size(), rc.size());
    const int w = l.width, h = l.height;
    for (std::size_t i = 0; i < lc.size(); ++i) {
        int mismatches = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (rc[i][static_cast<std::size_t>(y) * w + x] != lc[i][static_cast<std::size_t>(y) * w + (w - 1 - x)])
                    ++mismatches;
        EXPECT_EQ(mismatches, 0) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllFish, FishGif, ::testing::ValuesIn(kFish),
                         [](const ::testing::TestParamInfo<FishCase>& p) { return std::string(p.param.stem); });

// ---------------------------------------------------------------------------
// Bubbles
// ---------------------------------------------------------------------------

TEST(BubbleGif, SingleTransparentFrameWithHollowCentre) {
    struct Case {
        const char* name;
        int size, tableSize;
    };
    for (const Case& c : {Case{"bubble1.gif", 24, 256}, Case{"bubble2.gif", 11, 128}}) {
        SCOPED_TRACE(c.name);
        Gif gif;
        ASSERT_NO_THROW(gif = loadGif(c.name));
        expectWellFormedGif(gif, c.size, c.size, c.tableSize, 1);
        const auto canvas = composeFrames(gif).at(0);
        const int mid = c.size / 2;
        EXPECT_EQ(canvas[static_cast<std::size_t>(mid) * c.size + mid], -1) << "centre should show through";
        EXPECT_EQ(canvas[0], -1) << "corner should be transparent";
        // the rim: the middle row has opaque pixels near both ends
        const auto row = canvas.begin() + static_cast<std::ptrdiff_t>(mid) * c.size;
        EXPECT_TRUE(std::any_of(row, row + c.size / 4 + 1, [](int v) { return v >= 0; }));
        EXPECT_TRUE(std::any_of(row + c.size * 3 / 4 - 1, row + c.size, [](int v) { return v >= 0; }));
    }
}

struct PngChunk {
    std::string type;
    Bytes data;
    bool crcOk;
};

std::uint32_t crc32(const std::string& type, const Bytes& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    auto feed = [&](std::uint8_t b) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    };
    for (char ch : type) feed(static_cast<std::uint8_t>(ch));
    for (std::uint8_t b : data) feed(b);
    return ~crc;
}

std::vector<PngChunk> parsePng(const Bytes& data, bool& signatureOk, bool& trailingData) {
    static const std::uint8_t kSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    signatureOk = data.size() >= 8 && std::memcmp(data.data(), kSig, 8) == 0;
    std::vector<PngChunk> chunks;
    Reader r(data, 8);
    while (!r.atEnd()) {
        const std::uint32_t len = r.be32();
        PngChunk c;
        c.type = r.text(4);
        c.data = r.take(len);
        c.crcOk = r.be32() == crc32(c.type, c.data);
        chunks.push_back(std::move(c));
        if (chunks.back().type == "IEND") break;
    }
    trailingData = !r.atEnd();
    return chunks;
}

TEST(BubblePng, RgbaEightBitWithValidChunks) {
    for (const auto& [name, size] : {std::pair<const char*, std::uint32_t>{"bubble1.png", 24}, {"bubble2.png", 14}}) {
        SCOPED_TRACE(name);
        const Bytes data = readFile(payloadFile(name));
        ASSERT_FALSE(data.empty());
        bool sigOk = false, trailing = true;
        std::vector<PngChunk> chunks;
        ASSERT_NO_THROW(chunks = parsePng(data, sigOk, trailing));
        EXPECT_TRUE(sigOk);
        EXPECT_FALSE(trailing);
        ASSERT_GE(chunks.size(), 3u);
        ASSERT_EQ(chunks.front().type, "IHDR");
        ASSERT_EQ(chunks.front().data.size(), 13u);
        Reader ihdr(chunks.front().data);
        EXPECT_EQ(ihdr.be32(), size);
        EXPECT_EQ(ihdr.be32(), size);
        EXPECT_EQ(ihdr.u8(), 8);  // bits per channel
        EXPECT_EQ(ihdr.u8(), 6);  // colour type: RGBA
        EXPECT_EQ(ihdr.u8(), 0);  // deflate
        EXPECT_EQ(ihdr.u8(), 0);  // adaptive filtering
        EXPECT_EQ(ihdr.u8(), 0);  // not interlaced
        EXPECT_EQ(chunks.back().type, "IEND");
        EXPECT_TRUE(chunks.back().data.empty());
        EXPECT_TRUE(std::any_of(chunks.begin(), chunks.end(),
                                [](const PngChunk& c) { return c.type == "IDAT" && !c.data.empty(); }));
        for (const PngChunk& c : chunks) EXPECT_TRUE(c.crcOk) << c.type << " CRC";
    }
}

// ---------------------------------------------------------------------------
// JPEGs
// ---------------------------------------------------------------------------

struct JpegInfo {
    int sofMarker = 0;
    int precision = 0, width = 0, height = 0, components = 0;
};

JpegInfo readJpegHeader(const Bytes& data) {
    Reader r(data);
    if (r.be16() != 0xFFD8) throw std::runtime_error("no SOI");
    for (;;) {
        if (r.u8() != 0xFF) throw std::runtime_error("marker expected");
        int marker = r.u8();
        while (marker == 0xFF) marker = r.u8();
        const std::uint16_t len = r.be16();
        if (len < 2) throw std::runtime_error("bad segment length");
        const bool isSof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isSof) {
            JpegInfo info;
            info.sofMarker = marker;
            info.precision = r.u8();
            info.height = r.be16();
            info.width = r.be16();
            info.components = r.u8();
            return info;
        }
        if (marker == 0xDA) throw std::runtime_error("scan before frame header");
        r.skip(len - 2u);
    }
}

TEST(WindowJpeg, BaselineColourPicturesOfTheExpectedSize) {
    struct Case {
        const char* name;
        int width, height;
    };
    for (const Case& c : {Case{"scene.jpg", 1024, 768}, Case{"frame.jpg", 1024, 768}, Case{"banner.jpg", 283, 77}}) {
        SCOPED_TRACE(c.name);
        const Bytes data = readFile(uiFile(c.name));
        ASSERT_GT(data.size(), 1000u);
        JpegInfo info;
        ASSERT_NO_THROW(info = readJpegHeader(data));
        EXPECT_EQ(info.sofMarker, 0xC0) << "expected a baseline (SOF0) JPEG";
        EXPECT_EQ(info.precision, 8);
        EXPECT_EQ(info.components, 3);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_EQ(data[data.size() - 2], 0xFF);
        EXPECT_EQ(data[data.size() - 1], 0xD9);
    }
}

// ---------------------------------------------------------------------------
// Check-mark glyphs
// ---------------------------------------------------------------------------

struct Rgb {
    int r, g, b;
    bool isKey() const { return r == 255 && g == 0 && b == 255; }
};

std::vector<Rgb> readBmp24(const Bytes& data, int& width, int& height) {
    Reader r(data);
    if (r.text(2) != "BM") throw std::runtime_error("not a BMP");
    const std::uint32_t fileSize = r.le32();
    if (fileSize != data.size()) throw std::runtime_error("file size field wrong");
    r.skip(4);
    const std::uint32_t offset = r.le32();
    if (r.le32() != 40) throw std::runtime_error("expected BITMAPINFOHEADER");
    width = static_cast<std::int32_t>(r.le32());
    const std::int32_t rawHeight = static_cast<std::int32_t>(r.le32());
    height = rawHeight < 0 ? -rawHeight : rawHeight;
    if (r.le16() != 1) throw std::runtime_error("planes");
    if (r.le16() != 24) throw std::runtime_error("not 24 bits per pixel");
    if (r.le32() != 0) throw std::runtime_error("compressed");
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<Rgb> px(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        const int y = rawHeight < 0 ? row : height - 1 - row;
        Reader line(data, offset + row * stride);
        for (int x = 0; x < width; ++x) {
            const int b = line.u8(), g = line.u8(), rr = line.u8();
            px[static_cast<std::size_t>(y) * width + x] = {rr, g, b};
        }
    }
    return px;
}

TEST(CheckGlyph, MagentaKeyedEighteenPixelGlyphs) {
    for (const char* name : {"check.bmp", "check_disabled.bmp"}) {
        SCOPED_TRACE(name);
        int w = 0, h = 0;
        std::vector<Rgb> px;
        ASSERT_NO_THROW(px = readBmp24(readFile(uiFile(name)), w, h));
        EXPECT_EQ(w, 18);
        EXPECT_EQ(h, 18);
        ASSERT_EQ(px.size(), 18u * 18u);
        EXPECT_TRUE(px[0].isKey() && px[17].isKey() && px[17 * 18].isKey() && px[18 * 18 - 1].isKey());
        const auto glyph = std::count_if(px.begin(), px.end(), [](const Rgb& p) { return !p.isKey(); });
        EXPECT_GT(glyph, 25);
        EXPECT_LT(glyph, 18 * 18 / 2);
        // no pinkish fringe: anything near the key colour would show as a halo
        for (const Rgb& p : px) {
            if (!p.isKey()) {
                EXPECT_FALSE(p.r > 180 && p.b > 180 && p.g < 120) << p.r << "," << p.g << "," << p.b;
            }
        }
    }
}

TEST(CheckGlyph, NormalIsGreenAndDisabledIsGrey) {
    int w = 0, h = 0;
    const auto normal = readBmp24(readFile(uiFile("check.bmp")), w, h);
    const auto disabled = readBmp24(readFile(uiFile("check_disabled.bmp")), w, h);
    const auto green = std::count_if(normal.begin(), normal.end(), [](const Rgb& p) {
        return !p.isKey() && p.g > p.r + 40 && p.g > p.b + 40;
    });
    EXPECT_GT(green, 20);
    for (const Rgb& p : disabled) {
        if (!p.isKey()) {
            EXPECT_TRUE(p.r == p.g && p.g == p.b) << p.r << "," << p.g << "," << p.b;
        }
    }
    EXPECT_TRUE(std::any_of(disabled.begin(), disabled.end(), [](const Rgb& p) { return !p.isKey() && p.r < 200; }));
}

// ---------------------------------------------------------------------------
// Program icon
// ---------------------------------------------------------------------------

TEST(ProgramIcon, PalettisedEntriesWithMasksAt32And16Pixels) {
    const Bytes data = readFile(iconFile());
    ASSERT_GT(data.size(), 6u);
    Reader r(data);
    EXPECT_EQ(r.le16(), 0);
    EXPECT_EQ(r.le16(), 1);  // icon, not cursor
    const int count = r.le16();
    ASSERT_EQ(count, 2);
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const int w = r.u8(), h = r.u8();
        r.skip(2);  // colour count, reserved
        r.skip(4);  // planes, bit count (advisory)
        const std::uint32_t bytes = r.le32();
        const std::uint32_t offset = r.le32();
        SCOPED_TRACE("entry " + std::to_string(w));
        sizes.push_back(w);
        EXPECT_EQ(w, h);
        ASSERT_LE(std::uint64_t{offset} + bytes, data.size());
        Reader dib(data, offset);
        ASSERT_EQ(dib.le32(), 40u);
        EXPECT_EQ(static_cast<int>(dib.le32()), w);
        EXPECT_EQ(static_cast<int>(dib.le32()), 2 * h);  // colour bitmap + AND mask
        EXPECT_EQ(dib.le16(), 1);
        ASSERT_EQ(dib.le16(), 8);
        EXPECT_EQ(dib.le32(), 0u);
        dib.skip(20);
        std::vector<Rgb> palette;
        for (int k = 0; k < 256; ++k) {
            const int b = dib.u8(), g = dib.u8(), rr = dib.u8();
            dib.skip(1);
            palette.push_back({rr, g, b});
        }
        const std::size_t xorStride = (static_cast<std::size_t>(w) + 3) & ~std::size_t{3};
        const std::size_t andStride = (static_cast<std::size_t>(w) + 31) / 32 * 4;
        EXPECT_EQ(bytes, 40 + 256 * 4 + (xorStride + andStride) * h);
        const Bytes xorBits = dib.take(xorStride * h);
        const Bytes andBits = dib.take(andStride * h);
        auto masked = [&](int x, int y) {  // rows are stored bottom-up
            return (andBits[(h - 1 - y) * andStride + x / 8] >> (7 - x % 8)) & 1;
        };
        // round badge: corners see-through, middle solid
        EXPECT_TRUE(masked(0, 0) && masked(w - 1, 0) && masked(0, h - 1) && masked(w - 1, h - 1));
        EXPECT_FALSE(masked(w / 2, h / 2));
        // see-through pixels must be black so the XOR step leaves the desktop alone
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (masked(x, y)) {
                    const Rgb& c = palette[xorBits[(h - 1 - y) * xorStride + x]];
                    EXPECT_TRUE(c.r == 0 && c.g == 0 && c.b == 0) << "at " << x << "," << y;
                }
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32}));
}

// ---------------------------------------------------------------------------
// Licence text
// ---------------------------------------------------------------------------

TEST(LicenceText, PlainAsciiWithCrLfLines) {
    const Bytes data = readFile(uiFile("license.txt"));
    ASSERT_FALSE(data.empty());
    int lines = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint8_t c = data[i];
        if (c == '\n') {
            EXPECT_TRUE(i > 0 && data[i - 1] == '\r') << "bare LF at byte " << i;
            ++lines;
        } else if (c == '\r') {
            EXPECT_TRUE(i + 1 < data.size() && data[i + 1] == '\n') << "bare CR at byte " << i;
        } else {
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "byte " << int(c) << " at " << i;
        }
    }
    EXPECT_EQ(data.back(), '\n');
    EXPECT_GE(lines, 40);
    EXPECT_LE(lines, 80);
    const std::string text(data.begin(), data.end());
    EXPECT_NE(text.find("Mervalis"), std::string::npos);
    EXPECT_NE(text.find("Quorvanesoft"), std::string::npos);
}

}  // namespace
