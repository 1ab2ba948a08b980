// bitmap.cpp -- reads device-independent bitmaps into packed RGB rows, bottom row first
#include "image/bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"

namespace {

const char* const kUnknownFormat = "Unknown DIB file format.";
const char* const kOutOfMemory = "Out of memory.";
const char* const kConversionError = "Image file conversion error.";

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr int64_t kMaxSide = 4096;  // decoded size stays bounded: 48 MiB at most
constexpr uint32_t kCompressionNone = 0;

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t readU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
int32_t readI32(const uint8_t* p) { return static_cast<int32_t>(readU32(p)); }

// Everything the pixel conversion needs, each field already checked against the file.
struct DibLayout {
    int64_t width = 0;
    int64_t height = 0;  // positive
    bool topDown = false;
    int bits = 0;
    const uint8_t* palette = nullptr;
    size_t paletteEntrySize = 4;
    uint64_t paletteCount = 0;
    const uint8_t* pixels = nullptr;
    uint64_t rowBytes = 0;  // padded to 4 bytes
};

bool isConvertibleDepth(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Reads the header fields into the layout; the returned message is null on success.
const char* readHeader(const uint8_t* header, size_t available, DibLayout& layout,
                       uint64_t& paletteBytesWanted)
{
    if (available < 4) return kUnknownFormat;
    uint32_t headerSize = readU32(header);
    if (headerSize != kInfoHeaderSize && headerSize != kCoreHeaderSize) return kUnknownFormat;
    if (available < headerSize) return kConversionError;

    int64_t width, height;
    uint16_t planes, bits;
    uint32_t compression = kCompressionNone;
    uint64_t coloursUsed = 0;
    if (headerSize == kCoreHeaderSize) {
        width = readU16(header + 4);
        height = readU16(header + 6);
        planes = readU16(header + 8);
        bits = readU16(header + 10);
        layout.paletteEntrySize = 3;
    } else {
        width = readI32(header + 4);
        height = readI32(header + 8);
        planes = readU16(header + 12);
        bits = readU16(header + 14);
        compression = readU32(header + 16);
        coloursUsed = readU32(header + 32);
        layout.paletteEntrySize = 4;
    }
    if (planes != 1 || compression != kCompressionNone || !isConvertibleDepth(bits))
        return kConversionError;
    if (headerSize == kCoreHeaderSize && bits > 8 && bits != 24) return kConversionError;
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide)
        return kConversionError;

    layout.width = width;
    layout.topDown = height < 0;
    layout.height = height < 0 ? -height : height;
    layout.bits = bits;
    layout.rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;

    if (bits <= 8) {
        uint64_t maxColours = uint64_t(1) << bits;
        if (coloursUsed > maxColours) return kConversionError;
        layout.paletteCount = coloursUsed ? coloursUsed : maxColours;
    } else {
        layout.paletteCount = 0;  // a palette stored for deeper pictures is only skipped
    }
    paletteBytesWanted = (bits <= 8 ? layout.paletteCount : coloursUsed) * layout.paletteEntrySize;
    layout.palette = header + headerSize;
    return nullptr;
}

// Places the header, palette and pixel rows inside the file; null on success.
const char* locate(const uint8_t* data, size_t size, DibLayout& layout)
{
    bool hasFileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    size_t headerOffset = hasFileHeader ? kFileHeaderSize : 0;
    if (hasFileHeader && size < kFileHeaderSize + 4) return kUnknownFormat;
    if (!hasFileHeader && size < 4) return kUnknownFormat;

    uint64_t paletteBytes = 0;
    if (const char* error = readHeader(data + headerOffset, size - headerOffset, layout, paletteBytes))
        return error;

    uint64_t headerEnd = headerOffset + readU32(data + headerOffset);
    uint64_t paletteEnd = headerEnd + paletteBytes;
    uint64_t pixelOffset = hasFileHeader ? readU32(data + 10) : paletteEnd;
    if (pixelOffset < headerEnd || pixelOffset > size) return kConversionError;
    // A file header may place the pixels before a full palette would end: the palette is
    // then what lies between the header and the pixels.
    uint64_t paletteRoom = (pixelOffset - headerEnd) / layout.paletteEntrySize;
    if (layout.paletteCount > paletteRoom) layout.paletteCount = paletteRoom;
    uint64_t pixelBytes = layout.rowBytes * static_cast<uint64_t>(layout.height);
    if (pixelBytes > size - pixelOffset) return kConversionError;
    layout.pixels = data + pixelOffset;
    return nullptr;
}

// One palette index of a row; false if the index is past the palette.
bool paletteColour(const DibLayout& layout, unsigned index, uint8_t* rgb)
{
    if (index >= layout.paletteCount) return false;
    const uint8_t* entry = layout.palette + index * layout.paletteEntrySize;
    rgb[0] = entry[2];
    rgb[1] = entry[1];
    rgb[2] = entry[0];
    return true;
}

bool convertRow(const DibLayout& layout, const uint8_t* row, uint8_t* out)
{
    for (int64_t x = 0; x < layout.width; ++x, out += 3) {
        switch (layout.bits) {
        case 1:
        case 4:
        case 8: {
            uint64_t bitPos = static_cast<uint64_t>(x) * layout.bits;
            unsigned byte = row[bitPos / 8];
            unsigned shift = 8 - layout.bits - bitPos % 8;
            unsigned index = (byte >> shift) & ((1u << layout.bits) - 1);
            if (!paletteColour(layout, index, out)) return false;
            break;
        }
        case 16: {  // 5-5-5, blue in the low bits
            unsigned value = readU16(row + x * 2);
            out[0] = static_cast<uint8_t>(((value >> 10) & 31) * 255 / 31);
            out[1] = static_cast<uint8_t>(((value >> 5) & 31) * 255 / 31);
            out[2] = static_cast<uint8_t>((value & 31) * 255 / 31);
            break;
        }
        default: {  // 24 and 32 bits: blue, green, red (, unused)
            const uint8_t* p = row + x * (layout.bits / 8);
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            break;
        }
        }
    }
    return true;
}

}  // namespace

uint16_t dibColourCount(const uint8_t* header, size_t available)
{
    if (available < 4) return 0;
    uint32_t headerSize = readU32(header);
    unsigned bits;
    if (headerSize == kCoreHeaderSize && available >= kCoreHeaderSize) {
        bits = readU16(header + 10);
    } else if (headerSize == kInfoHeaderSize && available >= kInfoHeaderSize) {
        uint32_t coloursUsed = readU32(header + 32);
        if (coloursUsed != 0) return static_cast<uint16_t>(coloursUsed);
        bits = readU16(header + 14);
    } else {
        return 0;
    }
    return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

DibImage* decodeDib(const uint8_t* data, size_t size, const char** error)
{
    const char* ignored;
    if (!error) error = &ignored;
    *error = nullptr;
    DibLayout layout;
    if (!data) size = 0;
    if ((*error = locate(data, size, layout))) return nullptr;

    size_t outRowBytes = static_cast<size_t>(layout.width) * 3;
    size_t outBytes = outRowBytes * static_cast<size_t>(layout.height);
    auto* pixels = static_cast<unsigned char*>(std::malloc(outBytes));
    auto* image = static_cast<DibImage*>(std::malloc(sizeof(DibImage)));
    if (!pixels || !image) {
        std::free(pixels);
        std::free(image);
        *error = kOutOfMemory;
        return nullptr;
    }
    for (int64_t y = 0; y < layout.height; ++y) {
        // Rows come out bottom row first whatever order the file stores them in.
        int64_t fileRow = layout.topDown ? layout.height - 1 - y : y;
        if (!convertRow(layout, layout.pixels + fileRow * layout.rowBytes, pixels + y * outRowBytes)) {
            std::free(pixels);
            std::free(image);
            *error = kConversionError;
            return nullptr;
        }
    }
    image->width = static_cast<int32_t>(layout.width);
    image->height = static_cast<int32_t>(layout.height);
    image->pixels = pixels;
    return image;
}

DibImage* readBitmapFile(const char* fileName)
{
    // Header, a full palette and 4096 x 4096 pixels of 32 bits, with room to spare.
    const size_t maxFileBytes = (kMaxSide * kMaxSide * 4) + (1 << 16);
    std::vector<uint8_t> bytes;
    if (!readWholeFile(fileName, maxFileBytes, bytes) || bytes.empty()) {
        char text[4096];
        std::snprintf(text, sizeof text, "Failed to open DIB file %s.\n", fileName);
        showMessageBox("Error", text);
        return nullptr;
    }
    const char* error = nullptr;
    DibImage* image = decodeDib(bytes.data(), bytes.size(), &error);
    if (!image) showMessageBox("Error", error ? error : kConversionError);
    return image;
}
