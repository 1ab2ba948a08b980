// bitmap_file.h -- bitmap files the tests put together
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void put(Bytes& b, size_t at, uint32_t v, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i) b[at + i] = (v >> (8 * i)) & 255;
}

// A bitmap file put together field by field, so each field can be made wrong.
struct BitmapFile {
    int32_t width = 2, height = 2;
    uint32_t headerSize = 40;
    uint16_t planes = 1, bits = 24;
    uint32_t compression = 0, coloursUsed = 0;
    bool fileHeader = true;
    Bytes palette;  // raw entries, 4 bytes each (3 for the core header)
    Bytes pixels;   // raw rows, padding included
    int64_t pixelOffset = -1;  // -1: right after the palette

    Bytes build() const
    {
        Bytes header(headerSize < 16 ? 16 : headerSize, 0);
        bool core = headerSize == 12;
        put(header, 0, headerSize);
        put(header, 4, width, core ? 2 : 4);
        put(header, core ? 6 : 8, height, core ? 2 : 4);
        put(header, core ? 8 : 12, planes, 2);
        put(header, core ? 10 : 14, bits, 2);
        if (header.size() >= 40) {
            put(header, 16, compression);
            put(header, 32, coloursUsed);
        }
        header.resize(headerSize);
        Bytes file;
        if (fileHeader) {
            file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
            put(file, 10, pixelOffset >= 0 ? uint32_t(pixelOffset) : uint32_t(14 + headerSize + palette.size()));
        }
        for (const Bytes& part : {header, palette, pixels}) file.insert(file.end(), part.begin(), part.end());
        return file;
    }
};

// A 24-bit picture, each row one colour (red, green, blue; given bottom row first).
inline Bytes solidRowsBitmap(int width, const std::vector<Bytes>& rowColours)
{
    BitmapFile f;
    f.width = width;
    f.height = int(rowColours.size());
    for (const Bytes& rgb : rowColours) {
        for (int x = 0; x < width; ++x) f.pixels.insert(f.pixels.end(), {rgb[2], rgb[1], rgb[0]});
        f.pixels.resize((f.pixels.size() + 3) / 4 * 4, 0);  // rows start at multiples of 4
    }
    return f.build();
}
