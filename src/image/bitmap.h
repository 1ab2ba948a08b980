// bitmap.h -- device-independent bitmaps (with or without the file header) to packed RGB
#pragma once
#include <cstddef>
#include <cstdint>

// Rows of width * 3 bytes (red, green, blue), no padding, bottom row first.
// Created with malloc; the caller frees pixels, then the record.
struct DibImage {
    int32_t width;
    int32_t height;
    unsigned char* pixels;
};

// Decodes a whole file image from memory. On failure returns null and sets *error to the
// message to show (one of the reader's fixed texts).
DibImage* decodeDib(const uint8_t* data, size_t size, const char** error);

// Maps the file and decodes it; shows exactly one message box (caption "Error") on failure.
DibImage* readBitmapFile(const char* fileName);
