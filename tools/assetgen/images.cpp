// images.cpp -- the show's five bitmaps and its colour map, drawn procedurally
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "assetgen.h"

namespace {

// ---- small helpers -----------------------------------------------------------------------

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb scale(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb hex(uint32_t value)
{
    return {((value >> 16) & 255) / 255.0, ((value >> 8) & 255) / 255.0, (value & 255) / 255.0};
}
double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
double smooth(double e0, double e1, double x)
{
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
uint8_t toByte(double v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255)); }

// The generator's own seeded sequence (the show's sequence must not be disturbed).
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed ? seed : 1) {}
    uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double unit() { return next() / 4294967296.0; }

private:
    uint32_t state_;
};

// Value noise on a lattice that wraps every `period` cells, so textures tile.
class ValueNoise {
public:
    ValueNoise(uint32_t seed, int period) : period_(period), values_(period * period)
    {
        Rng rng(seed);
        for (double& v : values_) v = rng.unit();
    }
    double at(double x, double y) const
    {
        int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        double fx = x - x0, fy = y - y0;
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        double a = lattice(x0, y0), b = lattice(x0 + 1, y0);
        double c = lattice(x0, y0 + 1), d = lattice(x0 + 1, y0 + 1);
        return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
    }
    // Octaves double the frequency; the lattice period doubles with it, so all octaves tile.
    double fbm(double x, double y, int octaves) const
    {
        double sum = 0, amplitude = 0.5, norm = 0;
        for (int i = 0; i < octaves; ++i) {
            sum += amplitude * at(x, y);
            norm += amplitude;
            x *= 2;
            y *= 2;
            amplitude *= 0.5;
        }
        return sum / norm;
    }

private:
    double lattice(int x, int y) const
    {
        int px = ((x % period_) + period_) % period_, py = ((y % period_) + period_) % period_;
        return values_[py * period_ + px];
    }
    int period_;
    std::vector<double> values_;
};

// An RGB picture, top row first (as drawn); the writers turn it bottom row first.
struct Picture {
    int width, height;
    std::vector<Rgb> pixels;
    Picture(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
    Rgb& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Fills a picture from a colour function of display coordinates, 3 x 3 samples a pixel.
// The picture is shown stretched to displayWidth x displayHeight.
Picture render(int width, int height, double displayWidth, double displayHeight,
               const std::function<Rgb(double, double)>& colourAt)
{
    Picture picture(width, height);
    double sx = displayWidth / width, sy = displayHeight / height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Rgb sum;
            for (int j = 0; j < 3; ++j)
                for (int i = 0; i < 3; ++i) {
                    Rgb c = colourAt((x + (i + 0.5) / 3) * sx, (y + (j + 0.5) / 3) * sy);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            picture.at(x, y) = scale(sum, 1.0 / 9);
        }
    return picture;
}

// ---- bitmap files ------------------------------------------------------------------------

class ByteWriter {
public:
    void u8(unsigned v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v) { u8(v & 255); u8((v >> 8) & 255); }
    void u32(uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
    void padRow(size_t rowStart)
    {
        while ((bytes.size() - rowStart) % 4) u8(0);
    }
    std::vector<uint8_t> bytes;
};

bool saveFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return ok;
}

std::vector<uint8_t> withFileHeader(const std::vector<uint8_t>& dib, uint32_t pixelOffsetInDib)
{
    ByteWriter file;
    file.u8('B');
    file.u8('M');
    file.u32(static_cast<uint32_t>(14 + dib.size()));
    file.u32(0);
    file.u32(14 + pixelOffsetInDib);
    file.bytes.insert(file.bytes.end(), dib.begin(), dib.end());
    return file.bytes;
}

void infoHeader(ByteWriter& out, int width, int height, int bits, uint32_t coloursUsed)
{
    out.u32(40);
    out.u32(static_cast<uint32_t>(width));
    out.u32(static_cast<uint32_t>(height));
    out.u16(1);
    out.u16(bits);
    out.u32(0);  // no compression
    out.u32(0);  // image size left to the reader
    out.u32(2835);
    out.u32(2835);
    out.u32(coloursUsed);
    out.u32(0);
}

void bgrRows(ByteWriter& out, Picture& picture)
{
    for (int y = picture.height - 1; y >= 0; --y) {
        size_t rowStart = out.bytes.size();
        for (int x = 0; x < picture.width; ++x) {
            Rgb c = picture.at(x, y);
            out.u8(toByte(c.b));
            out.u8(toByte(c.g));
            out.u8(toByte(c.r));
        }
        out.padRow(rowStart);
    }
}

std::vector<uint8_t> dib24(Picture& picture, uint32_t* pixelOffset)
{
    ByteWriter out;
    infoHeader(out, picture.width, picture.height, 24, 0);
    *pixelOffset = 40;
    bgrRows(out, picture);
    return out.bytes;
}

std::vector<uint8_t> coreDib24(Picture& picture, uint32_t* pixelOffset)
{
    ByteWriter out;
    out.u32(12);
    out.u16(picture.width);
    out.u16(picture.height);
    out.u16(1);
    out.u16(24);
    *pixelOffset = 12;
    bgrRows(out, picture);
    return out.bytes;
}

// A palette picture: indices top row first, a palette of 2^bits entries (colours used 0).
std::vector<uint8_t> paletteDib(int width, int height, int bits, const std::vector<uint8_t>& indices,
                                const std::vector<Rgb>& palette, uint32_t* pixelOffset)
{
    ByteWriter out;
    infoHeader(out, width, height, bits, 0);
    for (size_t i = 0; i < (size_t(1) << bits); ++i) {
        Rgb c = i < palette.size() ? palette[i] : Rgb();
        out.u8(toByte(c.b));
        out.u8(toByte(c.g));
        out.u8(toByte(c.r));
        out.u8(0);
    }
    *pixelOffset = static_cast<uint32_t>(out.bytes.size());
    for (int y = height - 1; y >= 0; --y) {
        size_t rowStart = out.bytes.size();
        unsigned pending = 0, filled = 0;
        for (int x = 0; x < width; ++x) {
            pending = pending << bits | indices[static_cast<size_t>(y) * width + x];
            filled += bits;
            if (filled == 8) {
                out.u8(pending);
                pending = filled = 0;
            }
        }
        if (filled) out.u8(pending << (8 - filled));
        out.padRow(rowStart);
    }
    return out.bytes;
}

int nearestColour(const std::vector<Rgb>& palette, Rgb c)
{
    int best = 0;
    double bestDistance = 1e9;
    for (size_t i = 0; i < palette.size(); ++i) {
        double dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
        double d = dr * dr * 0.3 + dg * dg * 0.59 + db * db * 0.11;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

// ---- block lettering ---------------------------------------------------------------------

// 5 x 7 cells a letter, '#' filled.
const char* glyphRows(char letter)
{
    switch (letter) {
    case 'A': return " ### #   ##   #######   ##   ##   #";
    case 'B': return "#### #   ##   ##### #   ##   ##### ";
    case 'E': return "######    #    #### #    #    #####";
    case 'H': return "#   ##   ##   #######   ##   ##   #";
    case 'I': return "#####  #    #    #    #    #  #####";
    case 'K': return "#   ##  # # #  ##   # #  #  # #   #";
    case 'O': return " ### #   ##   ##   ##   ##   # ### ";
    case 'P': return "#### #   ##   ##### #    #    #    ";
    case 'Q': return " ### #   ##   ##   ## # ##  #  ## #";
    case 'R': return "#### #   ##   ##### # #  #  # #   #";
    case 'S': return " #####    #     ###     #    ##### ";
    case 'T': return "#####  #    #    #    #    #    #  ";
    case 'U': return "#   ##   ##   ##   ##   ##   # ### ";
    case 'Y': return "#   ##   # # #   #    #    #    #  ";
    default: return nullptr;  // a space
    }
}

struct Box {
    double x0, y0, x1, y1;
};

// A line of lettering as boxes (row runs of filled cells), with its italic slant.
class Lettering {
public:
    Lettering(const std::string& text, double cellWidth, double cellHeight, double centreX,
              double top, double slant)
        : slant_(slant), centreY_(top + 3.5 * cellHeight)
    {
        double width = 0;
        for (char ch : text) width += (glyphRows(ch) ? 6 : 3) * cellWidth;
        width -= cellWidth;
        double x = centreX - width / 2;
        for (char ch : text) {
            const char* rows = glyphRows(ch);
            if (!rows) {
                x += 3 * cellWidth;
                continue;
            }
            for (int r = 0; r < 7; ++r)
                for (int c = 0; c < 5;) {
                    if (rows[r * 5 + c] != '#') { ++c; continue; }
                    int run = c;
                    while (run < 5 && rows[r * 5 + run] == '#') ++run;
                    boxes_.push_back({x + c * cellWidth, top + r * cellHeight, x + run * cellWidth,
                                      top + (r + 1) * cellHeight});
                    c = run;
                }
            x += 6 * cellWidth;
        }
        top_ = top;
        bottom_ = top + 7 * cellHeight;
    }

    // Distance from the lettering (0 inside), in unslanted units.
    double distance(double x, double y) const
    {
        x += (y - centreY_) * slant_;
        double best = 1e9;
        for (const Box& b : boxes_) {
            double dx = std::max({b.x0 - x, 0.0, x - b.x1});
            double dy = std::max({b.y0 - y, 0.0, y - b.y1});
            best = std::min(best, std::sqrt(dx * dx + dy * dy));
            if (best == 0) break;
        }
        return best;
    }
    // 0 at the top of the letters, 1 at their foot.
    double depth(double y) const { return clamp01((y - top_) / (bottom_ - top_)); }

private:
    std::vector<Box> boxes_;
    double slant_, centreY_, top_ = 0, bottom_ = 0;
};

// Draws lettering over a colour: drop shadow, dark outline, a fill that runs top to foot.
Rgb letter(const Lettering& text, double x, double y, Rgb under, double outline, double shadow,
           Rgb fillTop, Rgb fillFoot, Rgb outlineColour)
{
    Rgb c = under;
    if (text.distance(x - shadow, y - shadow) <= outline) c = mix(c, hex(0x05010d), 0.75);
    double d = text.distance(x, y);
    if (d <= outline) c = outlineColour;
    if (d <= 0) {
        double t = text.depth(y);
        c = t < 0.5 ? mix(fillTop, mix(fillTop, fillFoot, 0.5), t * 2) : mix(mix(fillTop, fillFoot, 0.5), fillFoot, (t - 0.5) * 2);
        if (t > 0.47 && t < 0.53) c = mix(c, hex(0xffffff), 0.35);  // a thin chrome line
    }
    return c;
}

// ---- the pictures ------------------------------------------------------------------------

// Title: sunset sky, a striped sun, a grid floor, bold slanted lettering. Display 512 x 384.
Picture drawTitle()
{
    Lettering title("HIP HOP", 11.5, 12.5, 256, 150, 0.22);
    Lettering subtitle("QUIRKY BEATS", 4.2, 4.2, 256, 312, 0.18);
    Rng rng(1987);
    std::vector<Box> stars;
    for (int i = 0; i < 70; ++i) {
        double x = rng.unit() * 512, y = rng.unit() * 150, s = 0.6 + rng.unit() * 1.4;
        stars.push_back({x, y, x + s, y + s});
    }
    const double horizon = 248;
    return render(512, 512, 512, 384, [&](double x, double y) {
        Rgb c;
        if (y < horizon) {
            double t = y / horizon;
            c = t < 0.55 ? mix(hex(0x0b0628), hex(0x4a1268), t / 0.55)
                         : mix(hex(0x4a1268), hex(0xff3d7f), (t - 0.55) / 0.45);
            for (const Box& s : stars)
                if (x >= s.x0 && x < s.x1 && y >= s.y0 && y < s.y1) c = mix(c, hex(0xffffff), 0.8);
            // The sun, cut by bands that thicken towards the horizon.
            double dx = x - 256, dy = y - 170, r = std::sqrt(dx * dx + dy * dy);
            if (r < 120) {
                double band = (y - 150) / (horizon - 150);
                bool cut = band > 0 && std::fmod(y - 150, 16.0) < 2 + band * 9;
                if (!cut) c = mix(hex(0xfff25a), hex(0xff4f8b), clamp01((y - 55) / 190));
            } else if (r < 150) {
                c = mix(c, hex(0xff8ac0), 0.25 * (1 - (r - 120) / 30));
            }
        } else {
            // The floor: a perspective grid glowing cyan over deep violet.
            double depth = (y - horizon) / (384 - horizon);
            c = mix(hex(0x1a0636), hex(0x32004a), depth);
            double z = 1 / (depth + 0.06);
            double rowLine = std::fabs(std::fmod(z * 3.0, 1.0) - 0.5);
            double column = (x - 256) / (depth + 0.06) / 28;
            double colLine = std::fabs(column - std::round(column));
            double width = 0.035 / (depth + 0.1);
            double line = std::max(smooth(0.5 - width * 2, 0.5, rowLine), smooth(width, 0, colLine));
            c = mix(c, hex(0x23f0ff), line * (0.35 + 0.65 * depth));
            c = mix(c, hex(0xff3d7f), 0.5 * std::exp(-(y - horizon) / 10));  // horizon glow
        }
        c = letter(title, x, y, c, 4.5, 8, hex(0xfffbd0), hex(0xff6a00), hex(0x140326));
        c = letter(subtitle, x, y, c, 2.0, 3, hex(0xffffff), hex(0x7ff6ff), hex(0x140326));
        return c;
    });
}

// Logo: a wide plate with the show's name, seen turned a quarter turn in a 100 x 350 strip.
// Cells are wider than high so that the letters look square once turned and squeezed.
Picture drawLogo()
{
    Lettering name("QUIRKY", 13.0, 11.0, 256, 25, 0.0);
    return render(512, 128, 512, 128, [&](double x, double y) {
        Rgb c = hex(0x000000);
        double inset = std::min({x - 6, 506 - x, y - 6, 122 - y});
        if (inset >= 0 && inset < 5) c = hex(0xff2f92);            // the frame
        if (inset >= 8 && inset < 10) c = hex(0x24d8ff);           // its inner line
        if (inset >= 10) c = mix(hex(0x1b0733), hex(0x000000), clamp01((y - 10) / 110));
        return letter(name, x, y, c, 4.0, 6, hex(0xfff14a), hex(0xff4a00), hex(0x000000));
    });
}

// Earth and rock: warped fractal noise, cracks, and light from the upper left.
Picture drawTerrain()
{
    ValueNoise noise(4242, 16);
    ValueNoise detail(77, 64);
    auto height = [&](double x, double y) {
        double warp = noise.fbm(x / 16 + 3.1, y / 16 + 7.7, 3) * 2;
        return noise.fbm(x / 16 + warp, y / 16 + warp, 5);
    };
    Picture picture(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            double h = height(x, y);
            double slope = height(x + 1, y + 1) - h;
            double grain = detail.fbm(x / 4.0, y / 4.0, 3);
            double crack = std::fabs(noise.fbm(x / 8.0 + 11, y / 8.0 + 5, 4) - 0.5);
            Rgb soil = mix(hex(0x4a3220), hex(0x9b7448), smooth(0.35, 0.65, h));
            Rgb rock = mix(hex(0x6b665e), hex(0xa39d90), grain);
            Rgb c = mix(soil, rock, smooth(0.52, 0.62, h + grain * 0.15));
            c = scale(c, 0.75 + grain * 0.4 - slope * 6);
            if (crack < 0.025) c = scale(c, 0.45 + crack * 12);
            picture.at(x, y) = c;
        }
    return picture;
}

// Panels of brushed steel with bevels, rivets, vents and a few warning lights.
std::vector<uint8_t> drawPanels(std::vector<Rgb>& palette)
{
    palette.clear();
    for (int i = 0; i < 224; ++i) palette.push_back(mix(hex(0x10161e), hex(0xd8e2ee), i / 223.0));
    for (int i = 0; i < 32; ++i) palette.push_back(mix(hex(0x402000), hex(0xffc040), i / 31.0));
    ValueNoise brush(99, 64);
    std::vector<uint8_t> indices(256 * 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            int px = x % 64, py = y % 64, panel = (x / 64) + (y / 64) * 4;
            double v = 0.45 + (panel * 37 % 7) * 0.025 + (brush.at(x / 1.0, y / 16.0) - 0.5) * 0.08;
            if (px < 2 || py < 2) v = 0.85;                        // lit bevel
            else if (px > 61 || py > 61) v = 0.12;                 // shadowed bevel
            int rx = px < 32 ? px - 7 : px - 56, ry = py < 32 ? py - 7 : py - 56;
            if (rx * rx + ry * ry <= 5) v = rx + ry < 0 ? 0.9 : 0.3;  // rivets
            bool vents = panel % 3 == 1 && px > 14 && px < 50 && py > 16 && py < 48;
            if (vents && (py - 16) % 6 < 3) v = (py - 16) % 6 == 0 ? 0.08 : 0.2;
            bool light = panel % 5 == 3 && px >= 40 && px < 54 && py >= 40 && py < 46;
            if (light) {
                indices[static_cast<size_t>(y) * 256 + x] = static_cast<uint8_t>(224 + (py == 40 ? 31 : 20));
                continue;
            }
            indices[static_cast<size_t>(y) * 256 + x] = static_cast<uint8_t>(std::lround(clamp01(v) * 223));
        }
    return indices;
}

// Flowing bands of saturated colour, tiling both ways, bright on black.
Picture drawBands()
{
    const double tau = 6.283185307179586;
    return render(256, 256, 1, 1, [&](double u, double v) {
        double flow = u + 0.08 * std::sin(tau * (2 * v + 0.3)) + 0.05 * std::sin(tau * (3 * v + u));
        double hue = std::fmod(flow * 3 + v + 10, 1.0) * 6;
        Rgb spectrum[] = {hex(0xff2060), hex(0xff9a1f), hex(0xfff03a), hex(0x3dff8a), hex(0x2fb8ff),
                          hex(0xb04dff)};
        int k = static_cast<int>(hue);
        Rgb c = mix(spectrum[k % 6], spectrum[(k + 1) % 6], hue - k);
        double glow = 0.55 + 0.45 * std::sin(tau * (flow * 6 + 2 * v));
        return scale(c, 0.35 + 0.65 * glow * glow);
    });
}

// Brightness is depth: a winding valley down the middle among soft hills, and a few lakes.
std::vector<uint8_t> drawColourMap()
{
    ValueNoise noise(31337, 8);
    std::vector<uint8_t> map(80 * 80 * 3);
    for (int r = 0; r < 80; ++r)
        for (int c = 0; c < 80; ++c) {
            double valleyCentre = 40 + 9 * std::sin(r / 80.0 * 6.283185307179586);
            double across = (c - valleyCentre) / 18;
            double valley = std::exp(-across * across);
            double hills = noise.fbm(c / 10.0, r / 10.0, 3);
            double depth = 40 + 120 * valley + 70 * (hills - 0.5);
            uint8_t value = static_cast<uint8_t>(std::clamp(std::lround(depth), 0L, 255L));
            uint8_t* p = &map[(static_cast<size_t>(r) * 80 + c) * 3];
            p[0] = p[1] = p[2] = value;
        }
    const int lakes[][2] = {{20, 33}, {20, 34}, {21, 33}, {47, 52}, {48, 52}, {62, 24}};
    for (const auto& lake : lakes) {
        uint8_t* p = &map[(static_cast<size_t>(lake[0]) * 80 + lake[1]) * 3];
        p[0] = 0;
        p[1] = 0;
        p[2] = 255;
    }
    return map;
}

std::vector<uint8_t> quantised(Picture& picture, const std::vector<Rgb>& palette)
{
    std::vector<uint8_t> indices(picture.pixels.size());
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = static_cast<uint8_t>(nearestColour(palette, picture.pixels[i]));
    return indices;
}

std::vector<Rgb> logoPalette()
{
    return {hex(0x000000), hex(0x0d0420), hex(0x1b0733), hex(0xff2f92), hex(0x24d8ff),
            hex(0xfff14a), hex(0xffd23a), hex(0xffb02a), hex(0xff8a18), hex(0xff6a0a),
            hex(0xff4a00), hex(0x7a2f14), hex(0x3a1a0a), hex(0x8a1a52), hex(0x125a70),
            hex(0xfffbe0)};
}

}  // namespace

bool writeImages(const std::string& dir)
{
    uint32_t offset = 0;
    Picture title = drawTitle();
    std::vector<uint8_t> titleDib = dib24(title, &offset);
    bool ok = saveFile(dir + "/hiphop.bmp", withFileHeader(titleDib, offset));

    Picture logo = drawLogo();
    std::vector<Rgb> palette16 = logoPalette();
    std::vector<uint8_t> logoDib = paletteDib(512, 128, 4, quantised(logo, palette16), palette16, &offset);
    ok = saveFile(dir + "/logo.bmp", withFileHeader(logoDib, offset)) && ok;

    Picture terrain = drawTerrain();
    std::vector<uint8_t> terrainDib = coreDib24(terrain, &offset);
    ok = saveFile(dir + "/terrainheh.bmp", withFileHeader(terrainDib, offset)) && ok;

    std::vector<Rgb> palette256;
    std::vector<uint8_t> panels = drawPanels(palette256);
    std::vector<uint8_t> panelDib = paletteDib(256, 256, 8, panels, palette256, &offset);
    ok = saveFile(dir + "/texture2.bmp", withFileHeader(panelDib, offset)) && ok;

    Picture bands = drawBands();
    ok = saveFile(dir + "/texture3.bmp", dib24(bands, &offset)) && ok;  // a bare DIB

    ok = saveFile(dir + "/mapclr.raw", drawColourMap()) && ok;
    return ok;
}
