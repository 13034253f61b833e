// Draws prcfix's icon, a handheld whose screen has a coloured status bar, in
// every form it is shown in: the Windows .ico with 16, 32, 48 and 256 pixel
// images (the small ones as 32-bit bitmaps, the large one as a PNG, as
// Windows expects), and the page's PNG icons: its favicon, 192 and 512
// pixels, and a maskable one that launchers may crop to any shape.
//
// usage: make_icon OUTPUT.ico WEB_ICON_DIR
//        make_icon --check TRACKED.ico TRACKED_WEB_ICON_DIR
//
// The drawing is integer arithmetic, so the same source always gives the
// same pixels. The PNGs are compressed by libpng; --check compares the
// tracked files' pixels with a fresh drawing, so another zlib, which may
// compress the same pixels to other bytes, cannot fail it.
#include "tools/pdb_image.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
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

// How the handheld sits in an image: the design grid with a margin of this
// many units around it, and a background, or none for a transparent one.
struct Framing {
    int margin;
    const Color *background;
};
const Framing plain = {0, nullptr};
// A maskable icon keeps what matters inside the middle 80 %, on a
// background that fills the whole square.
const Color maskable_background = {0xc6, 0xe2, 0xae};
const Framing maskable = {80, &maskable_background};

// size * size pixels, RGBA, top row first, alpha not premultiplied.
Bytes draw(int size, Framing framing = plain)
{
    Bytes pixels(size * size * 4);
    const std::int64_t grid = 256 + 2 * framing.margin;
    const std::int64_t denominator = 2 * size * samples;
    const std::int64_t shift = framing.margin * denominator;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            unsigned r = 0, g = 0, b = 0, covered = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    // Sample centres, scaled so that they are integers.
                    std::int64_t x =
                        (2 * (px * samples + sx) + 1) * grid - shift;
                    std::int64_t y =
                        (2 * (py * samples + sy) + 1) * grid - shift;
                    const Color *top = framing.background;
                    for (const Shape &shape : shapes)
                        if (inside(shape, x, y, denominator))
                            top = &shape.color;
                    if (top == nullptr)
                        continue;
                    r += top->r;
                    g += top->g;
                    b += top->b;
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

// A PNG of the pixels, compressed by libpng.
Bytes encode_png(const Bytes &pixels, int size)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = size;
    image.height = size;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t length = 0;
    if (!png_image_write_get_memory_size(image, length, 0, pixels.data(), 0,
                                         nullptr))
        return Bytes();
    Bytes out(length);
    if (!png_image_write_to_memory(&image, out.data(), &length, 0,
                                   pixels.data(), 0, nullptr))
        return Bytes();
    out.resize(length);
    return out;
}

// The pixels of a PNG as RGBA, or nothing when it cannot be read.
Bytes png_pixels(const Bytes &png)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size()))
        return Bytes();
    image.format = PNG_FORMAT_RGBA;
    Bytes pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return Bytes();
    return pixels;
}

bool is_png(const Bytes &bytes)
{
    return bytes.size() > 8 && std::memcmp(bytes.data(), "\x89PNG", 4) == 0;
}

Bytes icon_file()
{
    const int sizes[] = {16, 32, 48, 256};
    std::vector<Bytes> images;
    for (int size : sizes) {
        Bytes pixels = draw(size);
        images.push_back(size == 256 ? encode_png(pixels, size)
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

// The page's icons, by file name.
struct WebIcon {
    const char *name;
    int size;
    Framing framing;
};
const WebIcon web_icons[] = {
    {"favicon.png", 32, plain},
    {"icon-192.png", 192, plain},
    {"icon-512.png", 512, plain},
    {"icon-maskable-512.png", 512, maskable},
};

// The images of an .ico file, each as stored.
std::vector<Bytes> ico_images(const Bytes &ico)
{
    std::vector<Bytes> images;
    if (ico.size() < 6)
        return images;
    unsigned count = ico[4] | ico[5] << 8;
    for (unsigned i = 0; i < count && 6 + 16 * (i + 1) <= ico.size(); ++i) {
        const unsigned char *entry = &ico[6 + 16 * i];
        std::uint32_t size = entry[8] | entry[9] << 8 | entry[10] << 16 |
                             std::uint32_t(entry[11]) << 24;
        std::uint32_t offset = entry[12] | entry[13] << 8 | entry[14] << 16 |
                               std::uint32_t(entry[15]) << 24;
        if (offset > ico.size() || size > ico.size() - offset)
            break;
        images.emplace_back(ico.begin() + offset, ico.begin() + offset + size);
    }
    return images;
}

// Whether two images show the same pixels: PNGs decoded, bitmaps as they
// are.
bool same_image(const Bytes &a, const Bytes &b)
{
    if (is_png(a) && is_png(b)) {
        Bytes pa = png_pixels(a);
        return !pa.empty() && pa == png_pixels(b);
    }
    return a == b;
}

int write_all(const std::string &ico, const std::string &web_dir)
{
    bool ok = save_image(ico.c_str(), icon_file());
    for (const WebIcon &icon : web_icons) {
        Bytes png = encode_png(draw(icon.size, icon.framing), icon.size);
        ok = !png.empty() &&
             save_image((web_dir + "/" + icon.name).c_str(), png) && ok;
    }
    return ok ? 0 : 1;
}

int check_all(const std::string &ico, const std::string &web_dir)
{
    int faults = 0;
    Bytes made = icon_file();
    Bytes tracked;
    std::vector<Bytes> want = ico_images(made);
    std::vector<Bytes> have;
    if (load_image(ico.c_str(), tracked))
        have = ico_images(tracked);
    // The directory's sizes and depths, then each image's pixels; where an
    // image is stored, and how long it is, may differ.
    bool same = want.size() == have.size();
    for (std::size_t i = 0; same && i < want.size(); ++i)
        same = std::memcmp(&made[6 + 16 * i], &tracked[6 + 16 * i], 8) == 0 &&
               same_image(want[i], have[i]);
    if (!same) {
        std::fprintf(stderr, "%s: not the icon this program draws\n",
                     ico.c_str());
        ++faults;
    }
    for (const WebIcon &icon : web_icons) {
        std::string path = web_dir + "/" + icon.name;
        Bytes png;
        Bytes pixels =
            load_image(path.c_str(), png) ? png_pixels(png) : Bytes();
        if (pixels.empty() || pixels != draw(icon.size, icon.framing)) {
            std::fprintf(stderr, "%s: not the icon this program draws\n",
                         path.c_str());
            ++faults;
        }
    }
    if (faults != 0)
        std::fputs("rebuild the 'icon' target to redraw them\n", stderr);
    return faults == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--check") == 0)
        return check_all(argv[2], argv[3]);
    if (argc != 3) {
        std::fputs(
            "usage: make_icon OUTPUT.ico WEB_ICON_DIR\n"
            "       make_icon --check TRACKED.ico TRACKED_WEB_ICON_DIR\n",
            stderr);
        return 2;
    }
    return write_all(argv[1], argv[2]);
}
