// Draws prcfix's icon, a handheld whose screen has a coloured status bar, and
// writes it as a Windows .ico with 16, 32, 48 and 256 pixel images: the small
// ones as 32-bit bitmaps, the large one as a PNG, as Windows expects.
//
// usage: make_icon OUTPUT.ico
//
// Everything is integer arithmetic, so the same source always gives the same
// bytes and the tracked icon can be checked against this program.
#include "tools/pdb_image.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace
{

struct Color {
    unsigned char r, g, b;
};

// A rounded rectangle in a 256 by 256 design grid.
struct Shape {
    int x0, y0, x1, y1, radius;
    Color color;
};

// Painted in order, later shapes over earlier ones. Edges lie on multiples
// of 16, whole pixels at every size, so that even the 16 pixel image is
// sharp.
const Shape shapes[] = {
    {48, 16, 208, 240, 32, {0x2b, 0x34, 0x45}}, // body
    {64, 32, 192, 160, 8, {0xc6, 0xe2, 0xae}},  // screen
    {64, 32, 192, 64, 8, {0x2a, 0x6c, 0xd4}},   // status bar
    {64, 48, 192, 64, 0, {0x2a, 0x6c, 0xd4}},   // its square lower edge
    {64, 176, 96, 208, 16, {0x93, 0x9d, 0xb0}}, // buttons
    {112, 176, 144, 208, 16, {0x93, 0x9d, 0xb0}},
    {160, 176, 192, 208, 16, {0x93, 0x9d, 0xb0}},
};

const int samples = 8; // per pixel, in each direction

// Whether the sample at (x, y), in units of 1/denominator of the design
// grid, lies inside shape.
bool inside(const Shape &shape, std::int64_t x, std::int64_t y,
            std::int64_t denominator)
{
    std::int64_t x0 = shape.x0 * denominator, x1 = shape.x1 * denominator;
    std::int64_t y0 = shape.y0 * denominator, y1 = shape.y1 * denominator;
    if (x < x0 || x >= x1 || y < y0 || y >= y1)
        return false;
    std::int64_t r = shape.radius * denominator;
    std::int64_t cx = x < x0 + r ? x0 + r : x >= x1 - r ? x1 - r : x;
    std::int64_t cy = y < y0 + r ? y0 + r : y >= y1 - r ? y1 - r : y;
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// size * size pixels, RGBA, top row first, alpha not premultiplied.
Bytes draw(int size)
{
    Bytes pixels(size * size * 4);
    const std::int64_t denominator = 2 * size * samples;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            unsigned r = 0, g = 0, b = 0, covered = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    // Sample centres, scaled so that they are integers.
                    std::int64_t x = (2 * (px * samples + sx) + 1) * 256;
                    std::int64_t y = (2 * (py * samples + sy) + 1) * 256;
                    const Shape *top = nullptr;
                    for (const Shape &shape : shapes)
                        if (inside(shape, x, y, denominator))
                            top = &shape;
                    if (top == nullptr)
                        continue;
                    r += top->color.r;
                    g += top->color.g;
                    b += top->color.b;
                    ++covered;
                }
            }
            unsigned char *p = &pixels[(py * size + px) * 4];
            if (covered != 0) {
                p[0] = static_cast<unsigned char>(r / covered);
                p[1] = static_cast<unsigned char>(g / covered);
                p[2] = static_cast<unsigned char>(b / covered);
                p[3] = static_cast<unsigned char>(covered * 255 /
                                                  (samples * samples));
            }
        }
    }
    return pixels;
}

void put16(Bytes &out, unsigned value)
{
    out.push_back(value & 0xff);
    out.push_back((value >> 8) & 0xff);
}

void put32(Bytes &out, std::uint32_t value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

void put32_be(Bytes &out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((value >> shift) & 0xff);
}

// An icon image as Windows' own format: a bitmap header of twice the
// height, the colour rows bottom up in BGRA, then the transparency mask.
Bytes bitmap_image(const Bytes &pixels, int size)
{
    Bytes out;
    int mask_row = (size + 31) / 32 * 4;
    put32(out, 40);
    put32(out, size);
    put32(out, 2 * size);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, size * size * 4 + mask_row * size);
    for (int i = 0; i < 4; ++i)
        put32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const unsigned char *p = &pixels[(y * size + x) * 4];
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            out.push_back(p[3]);
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(mask_row);
        for (int x = 0; x < size; ++x)
            if (pixels[(y * size + x) * 4 + 3] == 0)
                row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// Writes bits least significant first, as deflate wants them.
struct BitWriter {
    Bytes out;
    unsigned buffer = 0;
    int count = 0;
};

void put_bits(BitWriter &w, unsigned value, int bits)
{
    for (int i = 0; i < bits; ++i) {
        w.buffer |= ((value >> i) & 1) << w.count;
        if (++w.count == 8) {
            w.out.push_back(static_cast<unsigned char>(w.buffer));
            w.buffer = 0;
            w.count = 0;
        }
    }
}

// Huffman codes go out most significant bit first.
void put_code(BitWriter &w, unsigned code, int bits)
{
    for (int i = bits - 1; i >= 0; --i)
        put_bits(w, (code >> i) & 1, 1);
}

void put_literal_or_length(BitWriter &w, unsigned symbol)
{
    if (symbol < 144)
        put_code(w, 0x30 + symbol, 8);
    else if (symbol < 256)
        put_code(w, 0x190 + symbol - 144, 9);
    else if (symbol < 280)
        put_code(w, symbol - 256, 7);
    else
        put_code(w, 0xc0 + symbol - 280, 8);
}

void put_match(BitWriter &w, unsigned length, unsigned distance)
{
    static const unsigned length_base[] = {
        3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
        31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int length_extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1,
                                       1, 1, 2, 2, 2, 2, 3, 3, 3, 3,
                                       4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const unsigned distance_base[] = {
        1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    static const int distance_extra[] = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    int l = 28;
    while (length_base[l] > length)
        --l;
    put_literal_or_length(w, 257 + l);
    put_bits(w, length - length_base[l], length_extra[l]);
    int d = 29;
    while (distance_base[d] > distance)
        --d;
    put_code(w, d, 5);
    put_bits(w, distance - distance_base[d], distance_extra[d]);
}

// One final block with the fixed codes, matching against the pixel to the
// left and the one above: ample for flat shapes.
Bytes deflate(const Bytes &data, unsigned row_bytes)
{
    BitWriter w;
    put_bits(w, 1, 1);
    put_bits(w, 1, 2);
    const unsigned distances[] = {4, row_bytes};
    std::size_t i = 0;
    while (i < data.size()) {
        unsigned best_length = 0, best_distance = 0;
        for (unsigned distance : distances) {
            if (distance > i)
                continue;
            unsigned length = 0;
            while (length < 258 && i + length < data.size() &&
                   data[i + length] == data[i + length - distance])
                ++length;
            if (length > best_length) {
                best_length = length;
                best_distance = distance;
            }
        }
        if (best_length >= 3) {
            put_match(w, best_length, best_distance);
            i += best_length;
        } else {
            put_literal_or_length(w, data[i]);
            ++i;
        }
    }
    put_literal_or_length(w, 256);
    if (w.count != 0)
        w.out.push_back(static_cast<unsigned char>(w.buffer));
    return w.out;
}

std::uint32_t crc32(const unsigned char *data, std::size_t size)
{
    std::uint32_t crc = 0xffffffffu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::uint32_t adler32(const Bytes &data)
{
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void put_chunk(Bytes &out, const char *type, const Bytes &data)
{
    put32_be(out, static_cast<std::uint32_t>(data.size()));
    std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32_be(out, crc32(&out[start], out.size() - start));
}

Bytes png_image(const Bytes &pixels, int size)
{
    Bytes raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0); // no filter
        raw.insert(raw.end(), pixels.begin() + y * size * 4,
                   pixels.begin() + (y + 1) * size * 4);
    }
    Bytes zlib = {0x78, 0x01};
    Bytes compressed = deflate(raw, size * 4 + 1);
    zlib.insert(zlib.end(), compressed.begin(), compressed.end());
    put32_be(zlib, adler32(raw));

    Bytes header;
    put32_be(header, size);
    put32_be(header, size);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    put_chunk(out, "IHDR", header);
    put_chunk(out, "IDAT", zlib);
    put_chunk(out, "IEND", Bytes());
    return out;
}

Bytes icon_file()
{
    const int sizes[] = {16, 32, 48, 256};
    std::vector<Bytes> images;
    for (int size : sizes) {
        Bytes pixels = draw(size);
        images.push_back(size == 256 ? png_image(pixels, size)
                                     : bitmap_image(pixels, size));
    }
    Bytes out;
    put16(out, 0);
    put16(out, 1); // icon
    put16(out, images.size());
    std::uint32_t offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(sizes[i] & 0xff); // 256 is written as 0
        out.push_back(sizes[i] & 0xff);
        out.push_back(0); // no palette
        out.push_back(0);
        put16(out, 1);
        put16(out, 32);
        put32(out, images[i].size());
        put32(out, offset);
        offset += images[i].size();
    }
    for (const Bytes &image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: make_icon OUTPUT.ico\n", stderr);
        return 2;
    }
    return save_image(argv[1], icon_file()) ? 0 : 1;
}
