// image_test.cpp -- the bitmap reader and the raw image reader on files the tests build
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "image/texture.h"
#include "platform/platform.h"
#include "support/gl_test.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = v & 255;
    b[at + 1] = (v >> 8) & 255;
}
void put32(Bytes& b, size_t at, uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// A bitmap file put together field by field, so each field can be made wrong.
struct BitmapFile {
    int32_t width = 2;
    int32_t height = 2;
    uint32_t headerSize = 40;
    uint16_t planes = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    bool fileHeader = true;
    Bytes palette;  // raw entries, 4 bytes each (3 for the core header)
    Bytes pixels;   // raw rows, padding included
    int64_t pixelOffset = -1;  // -1: right after the palette

    Bytes build() const
    {
        Bytes header(headerSize < 16 ? 16 : headerSize, 0);
        put32(header, 0, headerSize);
        if (headerSize == 12) {
            put16(header, 4, static_cast<uint16_t>(width));
            put16(header, 6, static_cast<uint16_t>(height));
            put16(header, 8, planes);
            put16(header, 10, bits);
        } else {
            put32(header, 4, static_cast<uint32_t>(width));
            put32(header, 8, static_cast<uint32_t>(height));
            put16(header, 12, planes);
            put16(header, 14, bits);
            if (header.size() >= 40) {
                put32(header, 16, compression);
                put32(header, 32, coloursUsed);
            }
        }
        header.resize(headerSize);
        Bytes file;
        if (fileHeader) {
            file.assign(14, 0);
            file[0] = 'B';
            file[1] = 'M';
            uint32_t offset = static_cast<uint32_t>(14 + header.size() + palette.size());
            put32(file, 10, pixelOffset >= 0 ? static_cast<uint32_t>(pixelOffset) : offset);
        }
        file.insert(file.end(), header.begin(), header.end());
        file.insert(file.end(), palette.begin(), palette.end());
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    }
};

struct Decoded {
    std::unique_ptr<DibImage, void (*)(DibImage*)> image{nullptr, [](DibImage* p) {
                                                              if (p) std::free(p->pixels);
                                                              std::free(p);
                                                          }};
    std::string error;
    Bytes rgb() const
    {
        return Bytes(image->pixels, image->pixels + size_t(image->width) * image->height * 3);
    }
};

Decoded decode(const Bytes& file)
{
    Decoded result;
    const char* error = nullptr;
    result.image.reset(decodeDib(file.data(), file.size(), &error));
    result.error = error ? error : "";
    return result;
}

std::string errorOf(const Bytes& file) { return decode(file).error; }

const std::string kUnknown = "Unknown DIB file format.";
const std::string kConversion = "Image file conversion error.";

// A 24-bit picture whose every byte differs, rows padded to 4 bytes.
BitmapFile distinct24(int width, int height)
{
    BitmapFile f;
    f.width = width;
    f.height = height;
    size_t row = (width * 3 + 3) / 4 * 4;
    f.pixels.assign(row * height, 0xEE);  // padding bytes are 0xEE and must not show up
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * 3; ++i) f.pixels[y * row + i] = static_cast<uint8_t>(y * 40 + i + 1);
    return f;
}

// What distinct24 must come out as: each file row in order, blue-green-red turned around.
Bytes expected24(int width, int height, bool rowsReversed = false)
{
    Bytes out;
    for (int k = 0; k < height; ++k) {
        int y = rowsReversed ? height - 1 - k : k;
        for (int x = 0; x < width; ++x)
            for (int c = 2; c >= 0; --c) out.push_back(static_cast<uint8_t>(y * 40 + x * 3 + c + 1));
    }
    return out;
}

BitmapFile eightBit(uint32_t coloursUsed, int paletteEntries, Bytes indices, int width)
{
    BitmapFile f;
    f.bits = 8;
    f.width = width;
    f.height = 1;
    f.coloursUsed = coloursUsed;
    for (int i = 0; i < paletteEntries; ++i) {
        uint8_t entry[4] = {static_cast<uint8_t>(i), 0, static_cast<uint8_t>(255 - i), 0};
        for (uint8_t byte : entry) f.palette.push_back(byte);
    }
    f.pixels = indices;
    f.pixels.resize((width + 3) / 4 * 4, 0);
    return f;
}

}  // namespace

TEST(BitmapReader, TwentyFourBitRowsComeOutPackedBottomRowFirst)
{
    Decoded two = decode(distinct24(2, 2).build());
    ASSERT_TRUE(two.image) << two.error;
    EXPECT_EQ(two.image->width, 2);
    EXPECT_EQ(two.image->height, 2);
    EXPECT_EQ(two.rgb(), (Bytes{3, 2, 1, 6, 5, 4, 43, 42, 41, 46, 45, 44}));

    // Widths 1 to 4 have 1, 2, 3 and 0 padding bytes a row in the file and none in the result.
    for (int width = 1; width <= 5; ++width) {
        Decoded d = decode(distinct24(width, 3).build());
        ASSERT_TRUE(d.image) << width;
        EXPECT_EQ(d.rgb(), expected24(width, 3)) << "width " << width;
    }

    // Without the file header the pixels follow the header directly.
    BitmapFile bare = distinct24(3, 2);
    bare.fileHeader = false;
    Decoded b = decode(bare.build());
    ASSERT_TRUE(b.image);
    EXPECT_EQ(b.rgb(), expected24(3, 2));

    // A top-down picture is delivered bottom row first with a positive height.
    BitmapFile topDown = distinct24(3, 2);
    topDown.height = -2;
    Decoded t = decode(topDown.build());
    ASSERT_TRUE(t.image);
    EXPECT_EQ(t.image->height, 2);
    EXPECT_EQ(t.rgb(), expected24(3, 2, true));
}

TEST(BitmapReader, PaletteDepthsLookUpTheirColours)
{
    // Colours used 0: the whole 256-entry table, the last entry included.
    Decoded full = decode(eightBit(0, 256, {0, 255, 7}, 3).build());
    ASSERT_TRUE(full.image) << full.error;
    EXPECT_EQ(full.rgb(), (Bytes{255, 0, 0, 0, 0, 255, 248, 0, 7}));

    // Colours used 8: index 7 is the last entry, index 8 lies past the palette.
    EXPECT_TRUE(decode(eightBit(8, 8, {7}, 1).build()).image);
    EXPECT_EQ(errorOf(eightBit(8, 8, {8}, 1).build()), kConversion);
    // More colours than 8 bits can address is refused.
    EXPECT_EQ(errorOf(eightBit(257, 257, {0}, 1).build()), kConversion);

    // 1 bit, 9 pixels: the ninth sits in the first bit of the second byte.
    BitmapFile mono;
    mono.bits = 1;
    mono.width = 9;
    mono.height = 1;
    mono.palette = {0, 0, 0, 0, 255, 255, 255, 0};
    mono.pixels = {0xA0, 0x80, 0, 0};
    Decoded m = decode(mono.build());
    ASSERT_TRUE(m.image) << m.error;
    Bytes monoExpected;
    for (int bit : {1, 0, 1, 0, 0, 0, 0, 0, 1})
        for (int c = 0; c < 3; ++c) monoExpected.push_back(bit ? 255 : 0);
    EXPECT_EQ(m.rgb(), monoExpected);

    // 4 bits with colours used 0 (16 entries), odd width; core header with 3-byte entries.
    BitmapFile nibble;
    nibble.bits = 4;
    nibble.width = 3;
    nibble.height = 1;
    for (int i = 0; i < 16; ++i) nibble.palette.insert(nibble.palette.end(), {0, 0, static_cast<uint8_t>(i * 16), 0});
    nibble.pixels = {0x1F, 0x20, 0, 0};
    Decoded n = decode(nibble.build());
    ASSERT_TRUE(n.image) << n.error;
    EXPECT_EQ(n.rgb(), (Bytes{16, 0, 0, 240, 0, 0, 32, 0, 0}));

    BitmapFile core = nibble;
    core.headerSize = 12;
    core.palette.clear();
    for (int i = 0; i < 16; ++i) core.palette.insert(core.palette.end(), {static_cast<uint8_t>(i), 0, 0});
    Decoded c = decode(core.build());
    ASSERT_TRUE(c.image) << c.error;
    EXPECT_EQ(c.rgb(), (Bytes{0, 0, 1, 0, 0, 15, 0, 0, 2}));

    // A file header may leave room for fewer entries than the depth allows: only those count.
    BitmapFile shortPalette = eightBit(0, 2, {1}, 1);
    EXPECT_TRUE(decode(shortPalette.build()).image);
    EXPECT_EQ(errorOf(eightBit(0, 2, {2}, 1).build()), kConversion);
}

TEST(BitmapReader, ColourCountFollowsTheHeader)
{
    BitmapFile f = eightBit(0, 0, {0}, 1);
    Bytes info = f.build();
    EXPECT_EQ(dibColourCount(info.data() + 14, info.size() - 14), 256);
    put32(info, 14 + 32, 0x10005);  // colours used: its low 16 bits
    EXPECT_EQ(dibColourCount(info.data() + 14, info.size() - 14), 5);
    f.headerSize = 12;
    const std::pair<int, int> depths[] = {{1, 2}, {4, 16}, {8, 256}, {24, 0}, {2, 0}};
    for (auto [bits, count] : depths) {
        f.bits = static_cast<uint16_t>(bits);
        Bytes core = f.build();
        EXPECT_EQ(dibColourCount(core.data() + 14, core.size() - 14), count) << bits;
    }
    EXPECT_EQ(dibColourCount(info.data() + 14, 3), 0);  // too short to hold a size
}

TEST(BitmapReader, HeaderSizesOtherThanInfoAndCoreAreUnknown)
{
    for (uint32_t size : {0u, 11u, 13u, 39u, 41u, 52u, 56u, 64u, 108u, 124u}) {
        BitmapFile f = distinct24(2, 2);
        f.headerSize = size;
        EXPECT_EQ(errorOf(f.build()), kUnknown) << size;
    }
    BitmapFile core = distinct24(2, 2);
    core.headerSize = 12;
    EXPECT_TRUE(decode(core.build()).image);
}

TEST(BitmapReader, TruncatedFilesAreRefused)
{
    Bytes whole = distinct24(3, 3).build();
    EXPECT_TRUE(decode(whole).image);
    // Every shorter prefix lacks a header field or a pixel row.
    for (size_t size = 0; size < whole.size(); ++size) {
        Bytes prefix(whole.begin(), whole.begin() + size);
        std::string error = errorOf(prefix);
        EXPECT_TRUE(error == kUnknown || error == kConversion) << size << ": " << error;
    }
    EXPECT_EQ(errorOf(Bytes{'B', 'M', 0, 0}), kUnknown);
    EXPECT_EQ(errorOf(Bytes(whole.begin(), whole.begin() + 14 + 30)), kConversion);

    // A bare 8-bit DIB that ends inside its palette.
    BitmapFile bare = eightBit(0, 256, {0}, 1);
    bare.fileHeader = false;
    Bytes cut = bare.build();
    cut.resize(40 + 100);
    EXPECT_EQ(errorOf(cut), kConversion);
    EXPECT_EQ(decode(Bytes()).error, kUnknown);
}

TEST(BitmapReader, SizesAreCheckedBeforeUse)
{
    auto withSize = [](int32_t w, int32_t h) {
        BitmapFile f = distinct24(1, 1);
        f.width = w;
        f.height = h;
        return f.build();
    };
    EXPECT_EQ(errorOf(withSize(0, 1)), kConversion);
    EXPECT_EQ(errorOf(withSize(1, 0)), kConversion);
    EXPECT_EQ(errorOf(withSize(-1, 1)), kConversion);
    EXPECT_EQ(errorOf(withSize(1, INT32_MIN)), kConversion);
    EXPECT_EQ(errorOf(withSize(16385, 1)), kConversion);  // past the cap
    EXPECT_EQ(errorOf(withSize(1, -16385)), kConversion);
    // At the cap the size is fine but the rows are missing.
    EXPECT_EQ(errorOf(withSize(16384, 1)), kConversion);
    // 32-bit wrap: 0x55555556 pixels of 3 bytes is 2 (mod 2^32); must not pass as tiny.
    EXPECT_EQ(errorOf(withSize(0x55555556, 1)), kConversion);
    EXPECT_EQ(errorOf(withSize(65536, 65536)), kConversion);

    // Exactly every row present is enough; one byte fewer is not.
    BitmapFile exact = distinct24(3, 4);
    Bytes file = exact.build();
    EXPECT_TRUE(decode(file).image);
    file.pop_back();
    EXPECT_EQ(errorOf(file), kConversion);
}

TEST(BitmapReader, PixelOffsetMustLieBetweenPaletteAndEnd)
{
    BitmapFile f = distinct24(2, 2);
    Bytes good = f.build();
    uint32_t size = static_cast<uint32_t>(good.size());
    f.pixelOffset = size;  // at the end: no rows fit
    EXPECT_EQ(errorOf(f.build()), kConversion);
    f.pixelOffset = 0xFFFFFFF0u;
    EXPECT_EQ(errorOf(f.build()), kConversion);
    f.pixelOffset = 20;  // inside the header
    EXPECT_EQ(errorOf(f.build()), kConversion);
    f.pixelOffset = 14 + 40;  // right after the header
    EXPECT_TRUE(decode(f.build()).image);

    // A palette of colours-used entries must fit before the pixels of a bare DIB.
    BitmapFile bare = eightBit(0xFFFFFFFFu, 0, {0}, 1);
    bare.fileHeader = false;
    EXPECT_EQ(errorOf(bare.build()), kConversion);
    BitmapFile deep = distinct24(1, 1);
    deep.fileHeader = false;
    deep.coloursUsed = 0x40000000u;  // 4 bytes each: 2^32 bytes, wraps in 32 bits
    EXPECT_EQ(errorOf(deep.build()), kConversion);
}

TEST(BitmapReader, OnlyKnownDepthsCompressionsAndPlanesConvert)
{
    for (uint16_t bits : {0, 2, 3, 5, 7, 9, 12, 48, 64}) {
        BitmapFile f = distinct24(1, 1);
        f.bits = bits;
        f.pixels.assign(64, 0);
        EXPECT_EQ(errorOf(f.build()), kConversion) << bits;
    }
    for (uint32_t compression : {1u, 2u, 3u, 4u, 5u, 0xFFFFFFFFu}) {
        BitmapFile f = distinct24(1, 1);
        f.compression = compression;
        EXPECT_EQ(errorOf(f.build()), kConversion) << compression;
    }
    for (uint16_t planes : {0, 2}) {
        BitmapFile f = distinct24(1, 1);
        f.planes = planes;
        EXPECT_EQ(errorOf(f.build()), kConversion) << planes;
    }
    // 16 bits (5-5-5) and 32 bits (blue, green, red, unused) convert too.
    BitmapFile sixteen = distinct24(2, 1);
    sixteen.bits = 16;
    sixteen.pixels = {0x1F, 0x7C, 0xE0, 0x03};  // red and blue 31, then green 31
    Decoded s = decode(sixteen.build());
    ASSERT_TRUE(s.image);
    EXPECT_EQ(s.rgb(), (Bytes{255, 0, 255, 0, 255, 0}));
    BitmapFile wide = distinct24(1, 1);
    wide.bits = 32;
    wide.pixels = {1, 2, 3, 4};
    Decoded w = decode(wide.build());
    ASSERT_TRUE(w.image);
    EXPECT_EQ(w.rgb(), (Bytes{3, 2, 1}));
}

namespace {

struct TempDir {
    std::string path;
    TempDir()
    {
        char pattern[] = "/tmp/image_test_XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string write(const std::string& name, const Bytes& bytes) const
    {
        std::string file = path + "/" + name;
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return file;
    }
};

}  // namespace

TEST(BitmapFile, EachFailureShowsExactlyOneMessage)
{
    TempDir dir;
    collectMessageBoxes(true);
    std::string missing = dir.path + "/missing.bmp";
    EXPECT_EQ(readBitmapFile(missing.c_str()), nullptr);
    ASSERT_EQ(collectedMessageBoxes().size(), 1u);
    EXPECT_EQ(collectedMessageBoxes()[0].caption, "Error");
    EXPECT_EQ(collectedMessageBoxes()[0].text, "Failed to open DIB file " + missing + ".\n");

    collectMessageBoxes(true);
    std::string empty = dir.write("empty.bmp", {});
    EXPECT_EQ(readBitmapFile(empty.c_str()), nullptr);
    ASSERT_EQ(collectedMessageBoxes().size(), 1u);
    EXPECT_EQ(collectedMessageBoxes()[0].text, "Failed to open DIB file " + empty + ".\n");

    BitmapFile later = distinct24(2, 2);
    later.headerSize = 124;
    const std::pair<Bytes, std::string> broken[] = {{later.build(), kUnknown},
                                                    {eightBit(4, 4, {9}, 1).build(), kConversion}};
    for (const auto& [file, text] : broken) {
        collectMessageBoxes(true);
        std::string path = dir.write("bad.bmp", file);
        EXPECT_EQ(readBitmapFile(path.c_str()), nullptr);
        ASSERT_EQ(collectedMessageBoxes().size(), 1u);
        EXPECT_EQ(collectedMessageBoxes()[0].caption, "Error");
        EXPECT_EQ(collectedMessageBoxes()[0].text, text);
    }

    collectMessageBoxes(true);
    std::string good = dir.write("good.bmp", distinct24(4, 2).build());
    DibImage* image = readBitmapFile(good.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Bytes(image->pixels, image->pixels + 24), expected24(4, 2));
    std::free(image->pixels);
    std::free(image);
    EXPECT_TRUE(collectedMessageBoxes().empty());
    collectMessageBoxes(false);
}

TEST(BitmapFile, TheShowsOwnFilesUseEveryHeaderKindAndDecode)
{
    struct Expected {
        const char* name;
        bool fileHeader;
        uint32_t headerSize;
        uint16_t bits;
    };
    const Expected files[] = {{"hiphop.bmp", true, 40, 24}, {"logo.bmp", true, 40, 4},
                              {"terrainheh.bmp", true, 12, 24}, {"texture2.bmp", true, 40, 8},
                              {"texture3.bmp", false, 40, 24}};
    collectMessageBoxes(true);
    for (const Expected& e : files) {
        std::string path = testDataDir() + "/" + e.name;
        std::ifstream in(path, std::ios::binary);
        Bytes bytes((std::istreambuf_iterator<char>(in)), {});
        ASSERT_GT(bytes.size(), 54u) << path;
        size_t h = e.fileHeader ? 14 : 0;
        EXPECT_EQ(bytes[0] == 'B' && bytes[1] == 'M', e.fileHeader) << e.name;
        EXPECT_EQ(bytes[h], e.headerSize) << e.name;
        EXPECT_EQ(bytes[h + (e.headerSize == 12 ? 10 : 14)], e.bits) << e.name;
        Decoded d = decode(bytes);
        ASSERT_TRUE(d.image) << e.name << ": " << d.error;
        EXPECT_GE(d.image->width, 128) << e.name;
        EXPECT_GE(d.image->height, 128) << e.name;
    }
    EXPECT_TRUE(collectedMessageBoxes().empty());
    collectMessageBoxes(false);
}

TEST(RawImage, OnlyWholePixelsAreCopied)
{
    Bytes destination(12, 0xAA);
    Bytes data = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(copyRawPixels(data.data(), data.size(), 4, destination.data()), 2u);
    EXPECT_EQ(destination, (Bytes{1, 2, 3, 4, 5, 6, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));

    // Never more than the pixel count, whatever the data holds.
    Bytes many(30, 9);
    Bytes small(7, 0xAA);
    EXPECT_EQ(copyRawPixels(many.data(), many.size(), 2, small.data()), 2u);
    EXPECT_EQ(small, (Bytes{9, 9, 9, 9, 9, 9, 0xAA}));
    EXPECT_EQ(copyRawPixels(many.data(), many.size(), 0, small.data()), 0u);
    EXPECT_EQ(copyRawPixels(many.data(), many.size(), -5, small.data()), 0u);
    EXPECT_EQ(copyRawPixels(many.data(), 2, 2, small.data()), 0u);
}

TEST(RawImage, MissingAndShortFiles)
{
    TempDir dir;
    Bytes destination(9, 0x55);
    collectMessageBoxes(true);
    EXPECT_EQ(loadRawImage((dir.path + "/none.raw").c_str(), 3, destination.data()), 1);
    ASSERT_EQ(collectedMessageBoxes().size(), 1u);
    EXPECT_EQ(collectedMessageBoxes()[0].caption, "hehe ;)");
    EXPECT_EQ(collectedMessageBoxes()[0].text, "Could not load RAW image");
    EXPECT_EQ(destination, Bytes(9, 0x55));

    collectMessageBoxes(true);
    std::string shortFile = dir.write("short.raw", {10, 20, 30, 40, 50});
    EXPECT_EQ(loadRawImage(shortFile.c_str(), 3, destination.data()), 0);
    EXPECT_EQ(destination, (Bytes{10, 20, 30, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}));
    EXPECT_TRUE(collectedMessageBoxes().empty());
    collectMessageBoxes(false);

    // The show's colour map: 80 x 80 pixels exactly, with a few pure blue lakes in it.
    std::ifstream in(testDataDir() + "/mapclr.raw", std::ios::binary);
    Bytes map((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(map.size(), 19200u);
    int lakes = 0;
    for (size_t i = 0; i < map.size(); i += 3) lakes += map[i] == 0 && map[i + 1] == 0 && map[i + 2] == 255;
    EXPECT_GT(lakes, 0);
    EXPECT_LT(lakes, 20);
}
