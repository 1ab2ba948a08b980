// image_test.cpp -- the bitmap reader and the raw image reader on files the tests build
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "image/texture.h"
#include "platform/platform.h"
#include "support/bitmap_file.h"
#include "support/gl_test.h"

namespace {

struct Decoded {
    int width = 0, height = 0;
    Bytes rgb;
    std::string error;
};

// Decodes from a copy whose allocation ends with the file, so a sanitizer sees any read past it;
// takes the image over (its size and pixels, then frees it) or the reader's message.
Decoded decode(const Bytes& file)
{
    const Bytes exact(file);
    const char* error = nullptr;
    DibImage* image = decodeDib(exact.data(), exact.size(), &error);
    if (!image) return {0, 0, {}, error ? error : ""};
    Decoded d{image->width, image->height, Bytes(image->pixels, image->pixels + size_t(image->width) * image->height * 3), ""};
    std::free(image->pixels);
    std::free(image);
    return d;
}
std::string errorOf(const BitmapFile& f) { return decode(f.build()).error; }
Bytes rgbOf(const BitmapFile& f) { return decode(f.build()).rgb; }

const std::string kUnknown = "Unknown DIB file format.";
const std::string kConversion = "Image file conversion error.";

// A 24-bit picture whose every byte differs, rows padded to 4 bytes with 0xEE that must not show up.
BitmapFile distinct24(int width, int height)
{
    BitmapFile f;
    f.width = width;
    f.height = height;
    size_t row = (width * 3 + 3) / 4 * 4;
    f.pixels.assign(row * height, 0xEE);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * 3; ++i) f.pixels[y * row + i] = uint8_t(y * 40 + i + 1);
    return f;
}

// What distinct24 must come out as: each file row in order, blue-green-red turned around.
Bytes expected24(int width, int height)
{
    Bytes out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 2; c >= 0; --c) out.push_back(uint8_t(y * 40 + x * 3 + c + 1));
    return out;
}

// Palette entry i is (red 255 - i, green 0, blue i), stored in 4 bytes (3 for the core header).
Bytes rampPalette(int entries, int entryBytes = 4)
{
    Bytes palette(size_t(entries) * entryBytes, 0);
    for (int i = 0; i < entries; ++i) {
        palette[i * entryBytes] = uint8_t(i);
        palette[i * entryBytes + 2] = uint8_t(255 - i);
    }
    return palette;
}
// The colours of rampPalette entries; -1 is a pixel left black.
Bytes ramp(std::vector<int> indices)
{
    Bytes rgb;
    for (int i : indices) rgb.insert(rgb.end(), {uint8_t(i < 0 ? 0 : 255 - i), 0, uint8_t(i < 0 ? 0 : i)});
    return rgb;
}
// One row of 8-bit indices into a rampPalette of paletteEntries.
BitmapFile eightBit(uint32_t coloursUsed, int paletteEntries, Bytes indices)
{
    BitmapFile f{int(indices.size()), 1, 40, 1, 8, 0, coloursUsed, true, rampPalette(paletteEntries), indices};
    f.pixels.resize((indices.size() + 3) / 4 * 4, 0);
    return f;
}
Bytes words(std::vector<uint32_t> values)
{
    Bytes bytes(values.size() * 4);
    for (size_t i = 0; i < values.size(); ++i) put(bytes, i * 4, values[i]);
    return bytes;
}

}  // namespace

TEST(BitmapReader, TwentyFourBitRowsComeOutPackedBottomRowFirst)
{
    // Widths 1 to 4 have 1, 2, 3 and 0 padding bytes a row in the file and none in the result.
    for (int width = 1; width <= 5; ++width) EXPECT_EQ(rgbOf(distinct24(width, 3)), expected24(width, 3)) << width;

    // Without the file header the pixels follow the header directly; the core header reads the same.
    BitmapFile f = distinct24(3, 2);
    f.fileHeader = false;
    EXPECT_EQ(rgbOf(f), expected24(3, 2));
    f.headerSize = 12;
    EXPECT_EQ(rgbOf(f), expected24(3, 2));
}

TEST(BitmapReader, PaletteSizesFollowTheHeaderAndTheRoomForThem)
{
    // Index 7 of 8 colours is the last entry, 8 lies past the palette; 257 colours cannot be addressed.
    EXPECT_EQ(rgbOf(eightBit(8, 8, {7})), (Bytes{248, 0, 7}));
    EXPECT_EQ(errorOf(eightBit(8, 8, {8})), kConversion);
    EXPECT_EQ(errorOf(eightBit(257, 257, {0})), kConversion);
    // A file header may leave room for fewer entries than the depth allows: only those count.
    EXPECT_EQ(rgbOf(eightBit(0, 2, {1})), (Bytes{254, 0, 1}));
    EXPECT_EQ(errorOf(eightBit(0, 2, {2})), kConversion);
}

TEST(BitmapReader, EveryDepthAndCompressionGivesItsPixels)
{
    // Palette pictures carry a whole rampPalette (header 12: 3-byte entries), the others their masks, if
    // any; a case without pixels is refused.
    struct Case { const char* what; uint16_t bits; uint32_t compression; int width, height;
                  Bytes data, rgb, masks = {}; uint32_t headerSize = 40; };
    const Bytes m565 = words({0xF800, 0x07E0, 0x1F}), m555 = words({0x7C00, 0x03E0, 0x1F});
    const Case cases[] = {
        {"1 bit, a ninth pixel in the next byte", 1, 0, 9, 1, {0xA0, 0x80, 0, 0}, ramp({1, 0, 1, 0, 0, 0, 0, 0, 1})},
        {"4 bits, odd width", 4, 0, 3, 1, {0x1F, 0x20, 0, 0}, ramp({1, 15, 2})},
        {"4 bits, core header", 4, 0, 3, 1, {0x1F, 0x20, 0, 0}, ramp({1, 15, 2}), {}, 12},
        {"8 bits, colours used 0: all 256", 8, 0, 3, 1, {0, 255, 7, 0}, ramp({0, 255, 7})},
        {"24 bits top-down, delivered bottom row first", 24, 0, 1, -2, {1, 2, 3, 0, 4, 5, 6, 0}, {6, 5, 4, 3, 2, 1}},
        {"RLE8 runs, line end, end", 8, 1, 4, 2, {3, 5, 1, 6, 0, 0, 4, 7, 0, 1}, ramp({5, 5, 5, 6, 7, 7, 7, 7})},
        {"RLE8 absolute, pad byte", 8, 1, 4, 2, {0, 3, 1, 2, 3, 0, 1, 4, 0, 1}, ramp({1, 2, 3, 4, -1, -1, -1, -1})},
        {"RLE8 move", 8, 1, 4, 2, {1, 1, 0, 2, 2, 1, 1, 9, 0, 1}, ramp({1, -1, -1, -1, -1, -1, -1, 9})},
        {"RLE8 cut inside a command", 8, 1, 4, 2, {2, 5, 0, 3, 1, 2}, ramp({5, 5, -1, -1, -1, -1, -1, -1})},
        {"RLE8 runs past the row", 8, 1, 4, 3, {0, 6, 1, 2, 3, 4, 5, 6, 0, 0, 6, 7, 0, 1}, ramp({1, 2, 3, 4, 7, 7, 7, 7, -1, -1, -1, -1})},
        {"RLE8 top-down", 8, 1, 4, -2, {0, 1}, {}},
        {"RLE4 runs, line end, end", 4, 2, 5, 2, {5, 0x12, 0, 0, 3, 0x34, 0, 1}, ramp({1, 2, 1, 2, 1, 3, 4, 3, -1, -1})},
        {"RLE4 absolute, pad byte", 4, 2, 5, 2, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 2, 0x99, 0, 1},
         ramp({1, 2, 3, 4, 5, 9, 9, -1, -1, -1})},
        {"RLE4 move, clipped run", 4, 2, 5, 2, {1, 0x10, 0, 2, 3, 1, 2, 0xAB, 0, 1}, ramp({1, -1, -1, -1, -1, -1, -1, -1, -1, 10})},
        {"5-6-5", 16, 3, 2, 1, {0xFF, 0xFF, 0x64, 0x19}, {255, 255, 255, 25, 45, 33}, m565},
        {"5-6-5, colour table after", 16, 3, 1, 1, {0x64, 0x19, 0, 0}, {25, 45, 33}, words({0xF800, 0x7E0, 0x1F, 7, 7})},
        {"5-5-5 given", 16, 3, 1, 1, {0x64, 0x19, 0, 0}, {49, 90, 33}, m555},
        {"5-5-5 unsaid", 16, 0, 2, 1, {0x64, 0x19, 0xFF, 0x7F}, {49, 90, 32, 255, 255, 255}},
        {"8-8-8 given", 32, 3, 1, 1, {1, 2, 3, 4}, {3, 2, 1}, words({0xFF0000, 0xFF00, 0xFF})},
        {"8-8-8 unsaid", 32, 0, 1, 1, {1, 2, 3, 4}, {3, 2, 1}},
        {"green, blue, red from the top", 32, 3, 1, 1, {1, 2, 3, 4}, {1, 4, 2}, words({0xFF, 0xFF000000, 0xFF00})},
        {"10 bits a channel", 32, 3, 1, 1, {3, 0, 0xF8, 0x3F}, {255, 128, 1}, words({0x3FF00000, 0xFFC00, 0x3FF})},
        {"a mask with a gap", 16, 3, 1, 1, {0, 0, 0, 0}, {}, words({0xF801, 0x07E0, 0x1E})},
        {"an empty mask", 16, 3, 1, 1, {0, 0, 0, 0}, {}, words({0xF800, 0, 0x1F})},
        {"overlapping masks", 16, 3, 1, 1, {0, 0, 0, 0}, {}, words({0xF800, 0xFFE0, 0x1F})},
        {"a mask past the pixel", 16, 3, 1, 1, {0, 0, 0, 0}, {}, words({0x1F0000, 0x07E0, 0x1F})},
        {"masks cut off", 16, 3, 1, 1, {}, {}, {0x00, 0xF8, 0, 0, 0xE0, 0x07}},
    };
    for (const Case& c : cases) {
        Bytes table = c.bits <= 8 ? rampPalette(1 << c.bits, c.headerSize == 12 ? 3 : 4) : c.masks;
        BitmapFile f{c.width, c.height, c.headerSize, 1, c.bits, c.compression, 0, true, table, c.data};
        Decoded d = decode(f.build());
        EXPECT_EQ(d.rgb, c.rgb) << c.what << ": " << d.error;
        EXPECT_EQ(d.error, c.rgb.empty() ? kConversion : "") << c.what;
        EXPECT_EQ(d.height, c.rgb.empty() ? 0 : std::abs(c.height)) << c.what;  // top-down too: bottom row first
    }
}

TEST(BitmapReader, UnknownHeadersDepthsCompressionsAndPlanesAreRefused)
{
    BitmapFile f = distinct24(2, 2);
    for (uint32_t size : {0u, 11u, 13u, 39u, 41u, 52u, 56u, 64u, 108u, 124u}) {
        f.headerSize = size;
        EXPECT_EQ(errorOf(f), kUnknown) << size;
    }
    struct Fields { uint16_t bits, planes; uint32_t compression; };
    for (Fields bad : {Fields{0, 1, 0}, {2, 1, 0}, {3, 1, 0}, {12, 1, 0}, {48, 1, 0}, {24, 0, 0}, {24, 2, 0}, {24, 1, 1},
                       {24, 1, 2}, {24, 1, 3}, {24, 1, 4}, {24, 1, 0xFFFFFFFFu}, {4, 1, 1}, {8, 1, 2}, {8, 1, 3}}) {
        BitmapFile file{1, 1, 40, bad.planes, bad.bits, bad.compression, 0, true, {}, Bytes(64, 0)};
        EXPECT_EQ(errorOf(file), kConversion) << bad.bits << " bits, " << bad.planes << " planes, " << bad.compression;
    }
}

TEST(BitmapReader, TruncatedFilesAreRefused)
{
    // Every cut of a 24-bit picture, and of a bare 8-bit DIB (no file header) inside its palette too.
    BitmapFile bare = eightBit(0, 256, {0});
    bare.fileHeader = false;
    const Bytes whole = distinct24(3, 3).build();
    for (const Bytes& file : {whole, bare.build()})
        for (size_t size = 0; size < file.size(); ++size) {
            std::string error = decode(Bytes(file.begin(), file.begin() + size)).error;
            EXPECT_TRUE(error == kUnknown || error == kConversion) << size << ": " << error;
        }
    EXPECT_EQ(decode(Bytes(whole.begin(), whole.end() - 1)).error, kConversion);  // one byte short of the last row
}

TEST(BitmapReader, SizesAndOffsetsAreCheckedBeforeUse)
{
    // Zero, negative width, the most negative height, and sizes whose byte counts wrap in 32 bits
    // (0x55555556 * 3 is 2 mod 2^32).
    BitmapFile f = distinct24(1, 1);
    for (auto [w, h] : {std::pair<int32_t, int32_t>{0, 1}, {1, 0}, {-1, 1}, {1, INT32_MIN}, {0x55555556, 1}, {65536, 65536}}) {
        f.width = w;
        f.height = h;
        EXPECT_EQ(errorOf(f), kConversion) << w << " x " << h;
    }
    // At the 4096 cap a whole picture reads; one past it is refused even with every row there.
    for (int side : {4096, 4097})
        for (auto [w, h] : {std::pair{side, 1}, {1, side}, {1, -side}}) {
            f = distinct24(w, std::abs(h));
            f.height = h;
            EXPECT_EQ(errorOf(f), side > 4096 ? kConversion : "") << w << " x " << h;
        }

    // The pixels must start after the headers and leave room for every row.
    f = distinct24(2, 2);
    for (uint32_t offset : {uint32_t(f.build().size()), 0xFFFFFFF0u, 20u}) {
        f.pixelOffset = offset;
        EXPECT_EQ(errorOf(f), kConversion) << offset;
    }

    // A colour table of colours-used entries must fit before the pixels of a bare DIB, also when
    // 4 bytes each makes 2^32 bytes.
    f = distinct24(1, 1);
    f.fileHeader = false;
    f.coloursUsed = 0x40000000u;
    EXPECT_EQ(errorOf(f), kConversion);
}

TEST(BitmapFile, EachFailureShowsExactlyOneMessage)
{
    ScratchDir dir;
    BitmapFile later = distinct24(2, 2);
    later.headerSize = 124;
    std::string missing = dir.path + "/missing.bmp", empty = dir.write("empty.bmp", {});
    Bytes cut = distinct24(2, 2).build();
    cut.resize(cut.size() - 1);
    // The box keeps its text; the line on standard error names the file and why.
    struct Case { std::string path, text, why; };
    const Case broken[] = {
        {missing, "Failed to open DIB file " + missing + ".\n", "No such file or directory"},
        {empty, "Failed to open DIB file " + empty + ".\n", "empty"},
        {dir.write("later.bmp", later.build()), kUnknown, kUnknown},
        {dir.write("cut.bmp", cut), kConversion, kConversion}};
    for (const Case& c : broken) {
        collectMessageBoxes(true);
        EXPECT_EQ(readBitmapFile(c.path.c_str()), nullptr) << c.path;
        ASSERT_EQ(collectedMessageBoxes().size(), 1u) << c.path;
        EXPECT_EQ(collectedMessageBoxes()[0].caption + ": " + collectedMessageBoxes()[0].text, "Error: " + c.text);
        EXPECT_EQ(collectedMessageBoxes()[0].detail, c.path + ": " + c.why);
    }
    collectMessageBoxes(false);
}

// A missing file is checked with the world set-up.
TEST(RawImage, AMapCutShortIsRefusedWithItsNameAndLeavesTheDestination)
{
    // A file of `size` bytes read into room for `count` pixels: `copied` whole pixels, and a
    // message naming the file where it is short.
    struct Case { size_t size; int count; size_t copied; bool refused; };
    const Bytes data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ScratchDir dir;
    collectMessageBoxes(true);
    for (Case c : {Case{10, 2, 2, false}, {10, -5, 0, false}, {0, 2, 0, true}, {7, 3, 0, true}, {2, 2, 0, true}}) {
        collectedMessageBoxes().clear();
        Bytes out(12, 0xAA), expected(12, 0xAA);
        std::copy_n(data.begin(), 3 * c.copied, expected.begin());
        std::string file = dir.write("x.raw", Bytes(data.begin(), data.begin() + c.size));
        EXPECT_EQ(loadRawImage(file.c_str(), c.count, out.data()), c.refused ? 1 : 0) << c.size;
        EXPECT_EQ(out, expected) << c.size << " " << c.count;
        ASSERT_EQ(collectedMessageBoxes().size(), c.refused ? 1u : 0u) << c.size;
        if (!c.refused) continue;
        EXPECT_EQ(collectedMessageBoxes()[0].text, "Could not load RAW image");
        EXPECT_EQ(collectedMessageBoxes()[0].detail.rfind(file + ": " + std::to_string(c.size) + " bytes, short", 0), 0u)
            << collectedMessageBoxes()[0].detail;
    }
    collectMessageBoxes(false);
}
