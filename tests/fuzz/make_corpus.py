#!/usr/bin/env python3
# make_corpus.py -- writes the seed corpora of the bitmap and raw fuzz targets
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def info_header(width, height, bits, compression=0, colours_used=0, planes=1):
    return struct.pack('<IiiHHIIiiII', 40, width, height, planes, bits, compression, 0, 2835, 2835,
                       colours_used, 0)


def core_header(width, height, bits):
    return struct.pack('<IHHHH', 12, width, height, 1, bits)


def rows(width, height, bits, seed=1):
    stride = (width * bits + 31) // 32 * 4
    return bytes((seed * 31 + i * 7) & 255 for i in range(stride * height))


def with_file_header(dib, pixel_offset_in_dib):
    return b'BM' + struct.pack('<IHHI', 14 + len(dib), 0, 0, 14 + pixel_offset_in_dib) + dib


def palette(entries, entry_size=4):
    out = b''
    for i in range(entries):
        out += bytes([(i * 3) & 255, (i * 5) & 255, (i * 7) & 255] + [0] * (entry_size - 3))
    return out


def bitmap(width, height, bits, entries=None, colours_used=0, file_header=True, core=False,
           compression=0, masks=b'', pixels=None):
    if entries is None:
        entries = (1 << bits) if bits <= 8 else 0
    header = core_header(width, height, bits) if core else \
        info_header(width, height, bits, compression, colours_used)
    table = masks + palette(entries, 3 if core else 4)
    if pixels is not None:  # run-length data, taken as it is
        dib = header + table + pixels
        return with_file_header(dib, len(header) + len(table)) if file_header else dib
    pixels = rows(width, abs(height), bits)
    if bits <= 8 and entries < (1 << bits):  # keep indices inside a short table
        pixels = bytes(b % entries for b in pixels) if bits == 8 else bytes(len(pixels))
    dib = header + table + pixels
    return with_file_header(dib, len(header) + len(table)) if file_header else dib


def bitmap_corpus():
    c = {}
    for w in (1, 2, 3, 4, 5):
        c['rgb24_w%d' % w] = bitmap(w, 2, 24)
    c['rgb24_bare'] = bitmap(3, 3, 24, file_header=False)
    c['rgb24_topdown'] = bitmap(3, -3, 24)
    c['rgb16'] = bitmap(3, 2, 16)
    c['rgb32'] = bitmap(2, 2, 32)
    c['pal1'] = bitmap(9, 2, 1)
    c['pal4'] = bitmap(5, 2, 4)
    c['pal4_bare'] = bitmap(5, 2, 4, file_header=False)
    c['pal8_used0'] = bitmap(3, 2, 8)
    c['pal8_used12'] = bitmap(3, 2, 8, entries=12, colours_used=12)
    c['core24'] = bitmap(3, 2, 24, core=True)
    c['core8'] = bitmap(3, 2, 8, core=True)
    c['core1_bare'] = bitmap(10, 3, 1, core=True, file_header=False)
    c['v5_header'] = with_file_header(struct.pack('<I', 124) + bytes(120), 124)
    c['zero_width'] = bitmap(0, 2, 24)
    c['most_negative_height'] = info_header(1, -2**31, 24) + bytes(8)
    c['huge_sides'] = bitmap(1, 1, 24)[:18] + struct.pack('<ii', 65536, 65536) + bitmap(1, 1, 24)[26:]
    c['offset_outside'] = b'BM' + struct.pack('<IHHI', 0, 0, 0, 0xFFFFFF00) + bitmap(2, 2, 24)[14:]
    c['palette_index_past'] = bitmap(2, 1, 8, entries=2, colours_used=2)[:-4] + bytes([9, 9, 0, 0])
    c['truncated_header'] = bitmap(2, 2, 24)[:30]
    c['truncated_palette'] = bitmap(2, 2, 8, file_header=False)[:200]
    c['truncated_rows'] = bitmap(4, 4, 24)[:-5]
    c['rle8'] = bitmap(2, 2, 8, compression=1)
    c['bitfields'] = bitmap(2, 2, 32, compression=3)
    # Every run-length command: runs, absolute runs (odd, with a pad byte), line end, move, end.
    c['rle8_commands'] = bitmap(6, 4, 8, compression=1, pixels=bytes(
        [3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 9, 7, 0, 0, 2, 4, 0, 1]))
    c['rle8_bare_cut'] = bitmap(6, 3, 8, compression=1, file_header=False, pixels=bytes([2, 5, 0, 9, 1, 2]))
    c['rle4_commands'] = bitmap(7, 4, 4, compression=2, pixels=bytes(
        [5, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 1, 1, 9, 0xAB, 0, 0, 3, 0xCD, 0, 1]))
    c['rle4_top_down'] = bitmap(4, -2, 4, compression=2, pixels=bytes([4, 0x12, 0, 1]))
    masks = lambda *m: struct.pack('<III', *m)
    c['bitfields565'] = bitmap(3, 2, 16, compression=3, masks=masks(0xF800, 0x07E0, 0x1F))
    c['bitfields565_palette'] = bitmap(3, 2, 16, entries=4, colours_used=4, compression=3,
                                       masks=masks(0xF800, 0x07E0, 0x1F))
    c['bitfields555_bare'] = bitmap(3, 2, 16, compression=3, file_header=False,
                                    masks=masks(0x7C00, 0x03E0, 0x1F))
    c['bitfields32_order'] = bitmap(2, 2, 32, compression=3, masks=masks(0xFF, 0xFF000000, 0xFF00))
    c['bitfields32_wide'] = bitmap(2, 2, 32, compression=3, masks=masks(0x3FF00000, 0xFFC00, 0x3FF))
    c['bitfields_overlap'] = bitmap(2, 1, 16, compression=3, masks=masks(0xF800, 0xFFE0, 0x1F))
    c['bits_2'] = bitmap(2, 2, 24)[:28] + struct.pack('<H', 2) + bitmap(2, 2, 24)[30:]
    return c


def raw_corpus():
    def item(count, payload):
        return struct.pack('<h', count) + payload
    return {
        'empty_count0': item(0, b''),
        'one_pixel': item(1, bytes([1, 2, 3])),
        'short_pixel': item(2, bytes([1, 2, 3, 4])),
        'more_than_count': item(2, bytes(range(30))),
        'negative_count': item(-3, bytes(9)),
        'colour_map': item(6400, bytes((i * 13) & 255 for i in range(19200))),
    }


def write(folder, files):
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, 'corpus')
    write(os.path.join(root, 'bitmap'), bitmap_corpus())
    write(os.path.join(root, 'raw'), raw_corpus())
