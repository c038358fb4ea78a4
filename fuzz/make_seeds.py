#!/usr/bin/env python3
"""Writes a small starting corpus of picture files for fuzz_bitmap_loader:
bitmaps of every depth, RLE8 and RLE4, the old core header, and PNGs.
With --serve, writes print jobs for fuzz_serve_state instead: a large logo
printed again and again at every size, a QR symbol, text and cuts."""
import os
import struct
import sys
import zlib


def bmp(width, height, bits, compression, pixels, core=False):
    colours = 1 << bits if bits <= 8 else 0
    if core:
        palette = b''.join(bytes([i * 37 & 255] * 3) for i in range(colours))
        info = struct.pack('<IHHHH', 12, width, height, 1, bits)
    else:
        palette = b''.join(bytes([i * 37 & 255] * 3 + [0]) for i in range(colours))
        info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, len(pixels), 2835, 2835, 0, 0)
    off = 14 + len(info) + len(palette)
    return b'BM' + struct.pack('<IHHI', off + len(pixels), 0, 0, off) + info + palette + pixels


def rows(width, height, bits):
    stride = (width * bits + 31) // 32 * 4
    return bytes((x * 7 + y * 13) & 255 for y in range(height) for x in range(stride))


def png(width, height, colour_type, depth, extra=b''):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]
    line = (width * channels * depth + 7) // 8
    raw = b''.join(b'\x00' + bytes((x + y) & 255 for x in range(line)) for y in range(height))
    body = chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, colour_type, 0, 0, 0))
    if colour_type == 3:
        body += chunk(b'PLTE', bytes(range(48)))
    body += extra and chunk(b'tEXt', extra)
    return b'\x89PNG\r\n\x1a\n' + body + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')


def main(folder):
    os.makedirs(folder, exist_ok=True)
    seeds = {f'plain{bits}.bmp': bmp(16, 8, bits, 0, rows(16, 8, bits)) for bits in (1, 4, 8, 16, 24, 32)}
    seeds['topdown.bmp'] = bmp(16, -8, 24, 0, rows(16, 8, 24))
    seeds['core.bmp'] = bmp(16, 8, 8, 0, rows(16, 8, 8), core=True)
    seeds['rle8.bmp'] = bmp(16, 8, 8, 1, b'\x08\x00\x08\x01\x00\x00' * 7 + b'\x00\x03\x01\x02\x03\x00\x00\x02\x01\x01\x00\x01')
    seeds['rle4.bmp'] = bmp(16, 8, 4, 2, b'\x08\x00\x08\x11\x00\x00' * 7 + b'\x00\x05\x12\x34\x50\x00\x00\x01')
    seeds['rgb.png'] = png(16, 8, 2, 8, b'Comment\x00seed')
    seeds['palette.png'] = png(16, 8, 3, 4)
    seeds['grey-alpha.png'] = png(9, 9, 4, 8)
    seeds['rgba16.png'] = png(4, 4, 6, 16)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(data)


def logo_download(width, height):
    x, y = width // 8, height // 8
    data = bytes(0xFF if (i // (y * 8)) % 8 == 0 else (i * 37) & 0xFF for i in range(x * y * 8))
    return b'\x1cq\x01' + struct.pack('<HH', x, y) + data


def serve_main(folder):
    # The first byte of each job picks the paper (bit 7) and the piece size a
    # listener hands on (the rest, plus one).
    os.makedirs(folder, exist_ok=True)
    logo_prints = b''.join(b'\x1cp\x01' + bytes([mode]) for mode in (0, 1, 2, 3) * 10)
    qr_text = b'https://nemboportsettings.example.org/'
    seeds = {
        'large-logo': b'\x3f' + logo_download(1024, 512) + logo_prints + b'\x1bi',
        'qr': b'\x87' + b'\x1d(k' + struct.pack('<H', len(qr_text) + 3) + b'1P0' + qr_text
              + b'\x1d(k\x03\x001Q0' * 20 + b'\x1bm',
        'text-and-cuts': b'\x00' + (b'receipt line\n' * 8 + b'\x1bi') * 20 + b'\x01' * 300 + b'tail',
    }
    for name, data in seeds.items():
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(data)


if __name__ == '__main__':
    if len(sys.argv) > 1 and sys.argv[1] == '--serve':
        serve_main(sys.argv[2] if len(sys.argv) > 2 else 'corpus-serve')
    else:
        main(sys.argv[1] if len(sys.argv) > 1 else 'corpus-bitmap')
