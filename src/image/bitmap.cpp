// bitmap.cpp -- reads device-independent bitmaps into packed RGB rows, bottom row first
#include "image/bitmap.h"

#include <algorithm>
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
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitFields = 3;
constexpr uint32_t kMaskBytes = 12;

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
    uint32_t compression = kCompressionNone;
    uint32_t masks[3] = {};  // red, green, blue, for 16 and 32 bits
    const uint8_t* pixels = nullptr;
    uint64_t pixelBytes = 0;  // from the pixel offset to the end of the file
    uint64_t rowBytes = 0;  // padded to 4 bytes
};

bool isConvertibleDepth(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool compressionFitsDepth(uint32_t compression, int bits)
{
    switch (compression) {
    case kCompressionNone: return true;
    case kCompressionRle8: return bits == 8;
    case kCompressionRle4: return bits == 4;
    case kCompressionBitFields: return bits == 16 || bits == 32;
    default: return false;
    }
}

bool isRunLengthEncoded(const DibLayout& layout)
{
    return layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4;
}

// A usable mask is one run of set bits inside the pixel.
bool isContiguousMask(uint32_t mask, int bits)
{
    if (mask == 0 || (bits < 32 && mask >> bits != 0)) return false;
    while ((mask & 1) == 0) mask >>= 1;
    return (mask & (mask + 1)) == 0;
}

// The colour masks: read after the header for bit fields, else the fixed 5-5-5 or 8-8-8 layout.
bool readMasks(const uint8_t* header, size_t available, DibLayout& layout)
{
    uint32_t* masks = layout.masks;
    if (layout.compression != kCompressionBitFields) {
        bool sixteen = layout.bits == 16;
        masks[0] = sixteen ? 0x7C00 : 0xFF0000;
        masks[1] = sixteen ? 0x03E0 : 0x00FF00;
        masks[2] = sixteen ? 0x001F : 0x0000FF;
        return true;
    }
    if (available < kInfoHeaderSize + kMaskBytes) return false;
    for (int c = 0; c < 3; ++c) {
        masks[c] = readU32(header + kInfoHeaderSize + 4 * c);
        if (!isContiguousMask(masks[c], layout.bits)) return false;
    }
    return (masks[0] & masks[1]) == 0 && (masks[0] & masks[2]) == 0 && (masks[1] & masks[2]) == 0;
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
    if (planes != 1 || !isConvertibleDepth(bits) || !compressionFitsDepth(compression, bits))
        return kConversionError;
    if (headerSize == kCoreHeaderSize && bits > 8 && bits != 24) return kConversionError;
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide)
        return kConversionError;

    layout.width = width;
    layout.topDown = height < 0;
    layout.height = height < 0 ? -height : height;
    layout.bits = bits;
    layout.compression = compression;
    layout.rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    // Run-length data is decoded from the bottom row up and cannot be stored the other way.
    if (layout.topDown && isRunLengthEncoded(layout)) return kConversionError;
    if ((bits == 16 || bits == 32) && !readMasks(header, available, layout)) return kConversionError;

    if (bits <= 8) {
        uint64_t maxColours = uint64_t(1) << bits;
        if (coloursUsed > maxColours) return kConversionError;
        layout.paletteCount = coloursUsed ? coloursUsed : maxColours;
    } else {
        layout.paletteCount = 0;  // a palette stored for deeper pictures is only skipped
    }
    paletteBytesWanted = (bits <= 8 ? layout.paletteCount : coloursUsed) * layout.paletteEntrySize;
    if (compression == kCompressionBitFields) paletteBytesWanted += kMaskBytes;
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
    layout.pixels = data + pixelOffset;
    layout.pixelBytes = size - pixelOffset;
    // Run-length data may stop anywhere; uncompressed rows must all be there.
    if (!isRunLengthEncoded(layout) && layout.rowBytes * layout.height > layout.pixelBytes)
        return kConversionError;
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

// A channel of any width scaled exactly to 0..255: rounded to the nearest where the file gives
// its masks, truncated for the fixed 5-5-5 and 8-8-8 layouts, as those pictures always decoded.
uint8_t channel(uint32_t value, uint32_t mask, bool rounded)
{
    int shift = 0;
    while ((mask >> shift & 1) == 0) ++shift;
    uint64_t top = mask >> shift;
    uint64_t field = (value & mask) >> shift;
    return static_cast<uint8_t>(rounded ? (field * 510 / top + 1) / 2 : field * 255 / top);
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
        case 24: {  // blue, green, red
            const uint8_t* p = row + x * 3;
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            break;
        }
        default: {  // 16 and 32 bits: channels where the masks say
            uint32_t value = layout.bits == 16 ? readU16(row + x * 2) : readU32(row + x * 4);
            bool rounded = layout.compression == kCompressionBitFields;
            for (int c = 0; c < 3; ++c) out[c] = channel(value, layout.masks[c], rounded);
            break;
        }
        }
    }
    return true;
}

// Decodes run-length coded palette indices (8 or 4 bits each) into rows that start out black.
// Runs are clipped at the row's end; data that stops inside a command ends the picture there.
bool decodeRunLengths(const DibLayout& layout, uint8_t* out)
{
    const bool nibbles = layout.compression == kCompressionRle4;
    const uint8_t* p = layout.pixels;
    const uint8_t* end = p + layout.pixelBytes;
    int64_t x = 0, y = 0;
    auto put = [&](unsigned index) {
        if (x >= layout.width || y >= layout.height) return ++x, true;
        return paletteColour(layout, index, out + (y * layout.width + x++) * 3);
    };
    auto indexAt = [&](const uint8_t* bytes, unsigned i) {
        return nibbles ? (bytes[i / 2] >> (i % 2 ? 0 : 4)) & 15u : bytes[i];
    };
    while (end - p >= 2 && y < layout.height) {
        unsigned count = p[0], value = p[1];
        p += 2;
        if (count > 0) {  // encoded run: one index repeated (two alternating for 4 bits)
            for (unsigned i = 0; i < count; ++i)
                if (!put(nibbles ? (i % 2 ? value & 15 : value >> 4) : value)) return false;
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            break;
        } else if (value == 2) {  // move right and up
            if (end - p < 2) break;
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // absolute run of `value` indices, padded to a whole 16-bit word
            int64_t bytes = nibbles ? (value + 1) / 2 : value;
            if (end - p < bytes) break;
            for (unsigned i = 0; i < value; ++i)
                if (!put(indexAt(p, i))) return false;
            p += std::min<int64_t>(bytes + bytes % 2, end - p);
        }
    }
    return true;
}

// Fills the output rows, bottom row first whatever order the file stores them in.
bool convertPixels(const DibLayout& layout, uint8_t* out)
{
    if (isRunLengthEncoded(layout)) return decodeRunLengths(layout, out);
    size_t outRowBytes = static_cast<size_t>(layout.width) * 3;
    for (int64_t y = 0; y < layout.height; ++y) {
        int64_t fileRow = layout.topDown ? layout.height - 1 - y : y;
        if (!convertRow(layout, layout.pixels + fileRow * layout.rowBytes, out + y * outRowBytes)) return false;
    }
    return true;
}

}  // namespace


DibImage* decodeDib(const uint8_t* data, size_t size, const char** error)
{
    const char* ignored;
    if (!error) error = &ignored;
    *error = nullptr;
    DibLayout layout;
    if (!data) size = 0;
    if ((*error = locate(data, size, layout))) return nullptr;

    size_t outBytes = static_cast<size_t>(layout.width) * 3 * static_cast<size_t>(layout.height);
    // Zeroed: pixels that run-length data skips stay black.
    auto* pixels = static_cast<unsigned char*>(std::calloc(outBytes, 1));
    auto* image = static_cast<DibImage*>(std::malloc(sizeof(DibImage)));
    if (!pixels || !image) {
        std::free(pixels);
        std::free(image);
        *error = kOutOfMemory;
        return nullptr;
    }
    if (!convertPixels(layout, pixels)) {
        std::free(pixels);
        std::free(image);
        *error = kConversionError;
        return nullptr;
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
