// Orpa asset generator: draws the overworld tileset, the hero's sprite sheet and the level file.
// Everything is computed here, deterministically, so the output is byte-identical on every run.
//
// Usage: genere_assets [output_root]   (default ".")
// Writes output_root/tilesets/Decor.png, output_root/tilesets/Pelmur.png and output_root/map/base_map.txt.

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <queue>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kTile = 48;
constexpr int kColumns = 8;

// ---------------------------------------------------------------------------------------------------------------
// Deterministic helpers
// ---------------------------------------------------------------------------------------------------------------

std::uint32_t hash(std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0) {
    std::uint32_t h = a * 0x9E3779B1u;
    h ^= (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

int wrap(int v, int m) {
    int r = v % m;
    return r < 0 ? r + m : r;
}

int floorDiv(int v, int d) {
    return (v - wrap(v, d)) / d;
}

// Ordered 4x4 dithering threshold, 0..15.
int bayer(int x, int y) {
    static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return m[wrap(y, 4)][wrap(x, 4)];
}

// Smooth value noise repeating every 48 pixels in both directions, 0..255. `cell` must divide 48.
int tileNoise(int x, int y, int cell, std::uint32_t seed) {
    const int n = kTile / cell;
    const int gx = floorDiv(x, cell), gy = floorDiv(y, cell);
    const int fx = x - gx * cell, fy = y - gy * cell;
    auto v = [&](int i, int j) { return static_cast<int>(hash(wrap(i, n), wrap(j, n), seed) & 255u); };
    const int top = v(gx, gy) * (cell - fx) + v(gx + 1, gy) * fx;
    const int bottom = v(gx, gy + 1) * (cell - fx) + v(gx + 1, gy + 1) * fx;
    return (top * (cell - fy) + bottom * fy) / (cell * cell);
}

sf::Color rgb(int r, int g, int b) {
    return sf::Color(static_cast<sf::Uint8>(r), static_cast<sf::Uint8>(g), static_cast<sf::Uint8>(b));
}

// Blend b over a with weight t/256.
sf::Color mix(sf::Color a, sf::Color b, int t) {
    auto m = [t](int x, int y) { return static_cast<sf::Uint8>(x + (y - x) * t / 256); };
    return sf::Color(m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a));
}

// A 48x48 picture drawn in memory before it is copied into the sheet.
struct Tile {
    std::array<sf::Color, kTile * kTile> px;

    static bool inside(int x, int y) { return x >= 0 && y >= 0 && x < kTile && y < kTile; }
    sf::Color get(int x, int y) const { return px[static_cast<std::size_t>(y * kTile + x)]; }
    void set(int x, int y, sf::Color c) {
        if (inside(x, y))
            px[static_cast<std::size_t>(y * kTile + x)] = c;
    }
    // Darkens (t > 0) towards a shadow tone, keeping the hue.
    void shadow(int x, int y, int t) {
        if (inside(x, y))
            set(x, y, mix(get(x, y), rgb(24, 40, 40), t));
    }
};

// ---------------------------------------------------------------------------------------------------------------
// Palettes
// ---------------------------------------------------------------------------------------------------------------

const sf::Color kGrass[5] = {rgb(58, 118, 58), rgb(82, 148, 64), rgb(102, 168, 72), rgb(128, 188, 84),
                             rgb(168, 212, 108)};
const sf::Color kDirt[5] = {rgb(122, 86, 54), rgb(164, 122, 78), rgb(192, 152, 98), rgb(212, 178, 120),
                            rgb(230, 204, 150)};
const sf::Color kWater[5] = {rgb(40, 78, 150), rgb(56, 110, 190), rgb(70, 134, 210), rgb(110, 172, 232),
                             rgb(206, 236, 250)};
const sf::Color kEarth[2] = {rgb(86, 58, 38), rgb(128, 90, 56)};
const sf::Color kLeaf[6] = {rgb(24, 58, 36),  rgb(38, 92, 46),   rgb(52, 122, 52),
                            rgb(74, 150, 60), rgb(108, 180, 72), rgb(150, 206, 96)};
const sf::Color kPine[5] = {rgb(18, 48, 40), rgb(28, 78, 56), rgb(40, 104, 66), rgb(58, 132, 78), rgb(96, 166, 96)};
const sf::Color kBark[4] = {rgb(58, 36, 26), rgb(92, 60, 38), rgb(124, 84, 52), rgb(156, 112, 72)};
const sf::Color kStone[5] = {rgb(52, 54, 62), rgb(92, 94, 104), rgb(128, 130, 138), rgb(162, 164, 168),
                             rgb(200, 202, 204)};
const sf::Color kWood[4] = {rgb(70, 44, 28), rgb(118, 78, 44), rgb(156, 108, 62), rgb(190, 142, 86)};

// ---------------------------------------------------------------------------------------------------------------
// Grass, flowers
// ---------------------------------------------------------------------------------------------------------------

// Grass ground colour: fine, low-contrast streaks that hide the 48-pixel repetition.
sf::Color grassAt(int x, int y) {
    const std::uint32_t wx = static_cast<std::uint32_t>(wrap(x, kTile)),
                        wy = static_cast<std::uint32_t>(wrap(y, kTile));
    const std::uint32_t h = hash(wx, wy, 13), left = hash(static_cast<std::uint32_t>(wrap(x - 1, kTile)), wy, 13);
    const int soft = static_cast<int>(tileNoise(x, y, 6, 12) / 64); // 0..3, varies the streak density a little
    auto tone = [soft](std::uint32_t v) { return static_cast<int>(v % 29) - soft; };
    if (tone(h) < 2 || tone(left) < 2)
        return mix(kGrass[1], kGrass[2], 110);
    if (tone(h) > 25 || tone(left) > 25)
        return mix(kGrass[2], kGrass[3], 130);
    if (h % 97 == 0)
        return kGrass[1];
    return kGrass[2];
}

void fillGrass(Tile& t) {
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x)
            t.set(x, y, grassAt(x, y));
}

// Three little blades of grass, rooted at (x, y).
void drawTuft(Tile& t, int x, int y, bool tall) {
    const int heights[3] = {2, tall ? 4 : 3, 2};
    for (int k = 0; k < 3; ++k) {
        const int bx = x - 2 + 2 * k;
        const int h = heights[k];
        for (int i = 0; i < h; ++i)
            t.set(bx, y - i, i == h - 1 ? kGrass[4] : kGrass[3]);
        t.set(bx, y + 1, kGrass[0]);
    }
    t.set(x - 1, y + 1, kGrass[1]);
    t.set(x + 1, y + 1, kGrass[1]);
}

// Spread points over the tile, at least `gap` apart (Chebyshev), away from the borders.
std::vector<std::array<int, 2>> scatter(std::uint32_t seed, int count, int margin, int gap) {
    std::vector<std::array<int, 2>> pts;
    for (std::uint32_t i = 0; i < 400 && static_cast<int>(pts.size()) < count; ++i) {
        const int span = kTile - 2 * margin;
        const int x = margin + static_cast<int>(hash(seed, i, 1) % static_cast<std::uint32_t>(span));
        const int y = margin + static_cast<int>(hash(seed, i, 2) % static_cast<std::uint32_t>(span));
        bool ok = true;
        for (const auto& p : pts)
            ok = ok && std::max(std::abs(p[0] - x), std::abs(p[1] - y)) >= gap;
        if (ok)
            pts.push_back({x, y});
    }
    return pts;
}

Tile grassTile(int variant) {
    Tile t;
    fillGrass(t);
    const std::uint32_t seed = 100u + static_cast<std::uint32_t>(variant);
    if (variant == 0) {
        for (const auto& p : scatter(seed, 3, 5, 12))
            drawTuft(t, p[0], p[1], false);
    } else if (variant == 1) {
        for (const auto& p : scatter(seed, 8, 5, 8))
            drawTuft(t, p[0], p[1], hash(seed, static_cast<std::uint32_t>(p[0])) % 2 == 0);
    } else if (variant == 2) {
        // Clover: three round leaves each.
        for (const auto& p : scatter(seed, 6, 6, 9)) {
            const int leaves[3][2] = {{-2, 0}, {1, -1}, {0, 2}};
            for (const auto& l : leaves) {
                const int lx = p[0] + l[0], ly = p[1] + l[1];
                t.set(lx + 1, ly + 2, kGrass[0]);
                t.set(lx + 2, ly + 1, kGrass[0]);
                t.set(lx, ly, kGrass[4]);
                t.set(lx + 1, ly, kGrass[3]);
                t.set(lx, ly + 1, kGrass[3]);
                t.set(lx + 1, ly + 1, kGrass[1]);
            }
        }
        for (const auto& p : scatter(seed + 50, 2, 6, 10))
            drawTuft(t, p[0], p[1], false);
    } else {
        // A few pebbles in the grass.
        for (const auto& p : scatter(seed, 4, 6, 10)) {
            t.set(p[0], p[1], kStone[3]);
            t.set(p[0] + 1, p[1], kStone[2]);
            t.set(p[0], p[1] + 1, kStone[1]);
            t.set(p[0] + 1, p[1] + 1, kStone[1]);
            t.set(p[0] + 2, p[1] + 1, kGrass[0]);
            t.set(p[0], p[1] + 2, kGrass[0]);
            t.set(p[0] + 1, p[1] + 2, kGrass[0]);
        }
        for (const auto& p : scatter(seed + 50, 4, 5, 9))
            drawTuft(t, p[0], p[1], true);
    }
    return t;
}

// A flower seen from above; big ones have two-pixel petals.
void drawFlower(Tile& t, int x, int y, sf::Color petal, sf::Color heart, bool big) {
    const sf::Color dark = mix(petal, rgb(60, 20, 50), 80), light = mix(petal, rgb(255, 255, 255), 110);
    const sf::Color outline = mix(kGrass[0], rgb(20, 40, 30), 100);
    if (big) {
        const int cells[][3] = {{0, -2, 1}, {-1, -1, 1}, {0, -1, 1}, {1, -1, 0}, {-2, 0, 1}, {-1, 0, 0},
                                {1, 0, 0},  {2, 0, 2},   {-1, 1, 0}, {0, 1, 2},  {1, 1, 2},  {0, 2, 2}};
        for (const auto& c : cells) {
            t.set(x + c[0] + 1, y + c[1] + 1, outline);
        }
        for (const auto& c : cells)
            t.set(x + c[0], y + c[1], c[2] == 1 ? light : (c[2] == 2 ? dark : petal));
        t.set(x, y, heart);
        t.set(x - 2, y + 2, kGrass[3]);
        t.set(x + 2, y + 2, kGrass[3]);
        return;
    }
    t.set(x + 1, y + 1, outline);
    t.set(x, y + 2, outline);
    t.set(x + 2, y, outline);
    t.set(x, y - 1, light);
    t.set(x - 1, y, petal);
    t.set(x + 1, y, dark);
    t.set(x, y + 1, dark);
    t.set(x, y, heart);
}

Tile flowerTile(int variant) {
    Tile t;
    fillGrass(t);
    const sf::Color white = rgb(250, 248, 240), red = rgb(232, 62, 70), yellow = rgb(252, 216, 60),
                    violet = rgb(150, 110, 240), pink = rgb(246, 136, 190), orange = rgb(236, 132, 36);
    const std::uint32_t seed = 200u + static_cast<std::uint32_t>(variant);
    for (const auto& p : scatter(seed + 7, 3, 5, 12))
        drawTuft(t, p[0], p[1], false);
    int i = 0;
    for (const auto& p : scatter(seed, 12, 4, 8)) {
        sf::Color petal = white, heart = yellow;
        if (variant == 0)
            petal = (i % 3 == 0) ? white : red;
        else if (variant == 1)
            petal = (i % 4 == 0) ? white : yellow, heart = (i % 4 == 0) ? yellow : orange;
        else if (variant == 2)
            petal = (i % 3 == 0) ? white : violet;
        else {
            const sf::Color all[4] = {pink, white, violet, yellow};
            petal = all[i % 4];
            if (i % 4 == 3)
                heart = orange;
        }
        drawFlower(t, p[0], p[1], petal, heart, i % 2 == 0);
        ++i;
    }
    return t;
}

// ---------------------------------------------------------------------------------------------------------------
// Trees, bushes, rocks
// ---------------------------------------------------------------------------------------------------------------

// Soft oval shadow cast on the ground.
void groundShadow(Tile& t, int cx, int cy, int rx, int ry, int strength) {
    for (int y = cy - ry; y <= cy + ry; ++y)
        for (int x = cx - rx; x <= cx + rx; ++x) {
            const int dx = x - cx, dy = y - cy;
            const int d = dx * dx * ry * ry + dy * dy * rx * rx;
            const int r = rx * rx * ry * ry;
            if (d <= r && (d * 3 <= r * 2 || bayer(x, y) % 2 == 0))
                t.shadow(x, y, strength);
        }
}

// A round, shaded cluster of leaves (or stone): light from the top-left, dark outline on the rim.
// `pal` holds `n` tones from darkest (outline) to lightest.
void shadedBlob(Tile& t, double cx, double cy, double rx, double ry, const sf::Color* pal, int n, std::uint32_t seed,
                int texture) {
    for (int y = static_cast<int>(cy - ry) - 1; y <= static_cast<int>(cy + ry) + 1; ++y)
        for (int x = static_cast<int>(cx - rx) - 1; x <= static_cast<int>(cx + rx) + 1; ++x) {
            const double nx = (x + 0.5 - cx) / rx, ny = (y + 0.5 - cy) / ry;
            const double d = nx * nx + ny * ny;
            if (d > 1.0)
                continue;
            const double edge = 1.0 - std::min(0.9 / rx, 0.9 / ry);
            if (d > edge * edge) {
                t.set(x, y, pal[0]);
                continue;
            }
            // Lambert-ish light from the top-left.
            const double nz = std::sqrt(std::max(0.0, 1.0 - d));
            double light = -0.55 * nx - 0.65 * ny + 0.55 * nz;
            const int grain = static_cast<int>(
                hash(static_cast<std::uint32_t>(wrap(x, kTile)), static_cast<std::uint32_t>(wrap(y, kTile)), seed) %
                100);
            light += (grain - 50) * texture / 2500.0;
            const double levels = n - 1.0;
            double v = (light + 0.45) / 1.2 * levels + (bayer(x, y) - 7.5) / 16.0;
            int k = static_cast<int>(std::floor(v));
            k = std::clamp(k, 1, n - 1);
            t.set(x, y, pal[k]);
        }
}

void drawTrunk(Tile& t, int cx, int top, int bottom, int halfWidth) {
    for (int y = top; y <= bottom; ++y) {
        const int flare = y >= bottom - 2 ? (y - (bottom - 3)) : 0;
        for (int x = cx - halfWidth - flare; x < cx + halfWidth + flare; ++x) {
            const int rel = x - (cx - halfWidth - flare);
            const int width = 2 * (halfWidth + flare);
            sf::Color c = kBark[2];
            if (rel == 0 || rel == width - 1)
                c = kBark[0];
            else if (rel >= width * 2 / 3)
                c = kBark[1];
            else if (rel == 1)
                c = kBark[3];
            if (c == kBark[2] && hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 31) % 6 == 0)
                c = kBark[1];
            t.set(x, y, c);
        }
    }
}

struct Lobe {
    double x, y, r;
};

Tile oakTile(bool apples) {
    Tile t = grassTile(0);
    groundShadow(t, 25, 41, 17, 5, 120);
    drawTrunk(t, 24, 30, 43, 3);
    const Lobe lobes[] = {{24, 10, 10}, {15, 15, 9}, {33, 15, 9}, {24, 19, 13},
                          {12, 24, 8},  {36, 24, 8}, {19, 27, 8}, {29, 27, 8}};
    std::uint32_t seed = 40;
    for (const Lobe& l : lobes)
        shadedBlob(t, l.x, l.y, l.r, l.r * 0.92, kLeaf, 6, seed++, 14);
    if (apples) {
        for (const auto& p :
             std::vector<std::array<int, 2>>{{15, 14}, {29, 9}, {34, 22}, {22, 20}, {12, 25}, {27, 27}}) {
            t.set(p[0], p[1], rgb(214, 40, 40));
            t.set(p[0] + 1, p[1], rgb(170, 24, 32));
            t.set(p[0], p[1] + 1, rgb(170, 24, 32));
            t.set(p[0] + 1, p[1] + 1, rgb(120, 16, 24));
            t.set(p[0], p[1] - 1, rgb(255, 150, 140));
        }
    }
    return t;
}

Tile pineTile() {
    Tile t = grassTile(0);
    groundShadow(t, 25, 42, 14, 4, 130);
    drawTrunk(t, 24, 36, 44, 2);
    // Four stacked tiers, widest at the bottom; each tier's lower edge droops slightly.
    const int tiers[4][3] = {{2, 14, 7}, {8, 23, 11}, {15, 32, 15}, {22, 40, 19}}; // top, bottom, half width
    for (const auto& tier : tiers) {
        const int top = tier[0], bottom = tier[1], half = tier[2];
        for (int y = top; y <= bottom; ++y) {
            const int w = half * (y - top + 1) / (bottom - top + 1);
            for (int x = 24 - w; x < 24 + w; ++x) {
                const int rel = x - 24;
                // Scalloped lower edge.
                const int droop = (std::abs(rel) % 6 < 3) ? 1 : 0;
                if (y == bottom && droop)
                    continue;
                const bool rim = x == 24 - w || x == 24 + w - 1 || y == bottom || (y == bottom - 1 && droop);
                sf::Color c;
                if (rim)
                    c = kPine[0];
                else {
                    const int light = -rel * 6 / std::max(1, w) - (y - top) * 4 / (bottom - top + 1) + 6;
                    const int v = light + (bayer(x, y) - 8) / 3;
                    c = v > 6 ? kPine[4] : (v > 3 ? kPine[3] : (v > 0 ? kPine[2] : kPine[1]));
                    if (hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 55) % 9 == 0)
                        c = kPine[1];
                }
                t.set(x, y, c);
            }
        }
    }
    return t;
}

Tile birchTile() {
    Tile t = grassTile(1);
    groundShadow(t, 25, 41, 14, 4, 110);
    // White trunk with dark marks.
    for (int y = 22; y <= 43; ++y)
        for (int x = 22; x < 27; ++x) {
            sf::Color c = (x == 22 || x == 26) ? rgb(90, 90, 90) : (x == 25 ? rgb(200, 200, 190) : rgb(236, 236, 228));
            if ((y * 7 + x * 3) % 11 == 0 && x > 22 && x < 26)
                c = rgb(50, 50, 50);
            t.set(x, y, c);
        }
    const sf::Color pale[6] = {rgb(36, 80, 40),   rgb(70, 128, 50),  rgb(100, 158, 62),
                               rgb(134, 186, 74), rgb(170, 210, 96), rgb(206, 230, 130)};
    const Lobe lobes[] = {{24, 9, 8}, {16, 15, 8}, {32, 15, 8}, {24, 18, 10}, {18, 24, 7}, {30, 24, 7}};
    std::uint32_t seed = 60;
    for (const Lobe& l : lobes)
        shadedBlob(t, l.x, l.y, l.r, l.r * 0.9, pale, 6, seed++, 16);
    return t;
}

Tile bushTile() {
    Tile t = grassTile(0);
    groundShadow(t, 25, 38, 18, 5, 120);
    const Lobe lobes[] = {{18, 24, 9}, {30, 24, 9}, {24, 20, 10}, {14, 31, 7}, {34, 31, 7}, {24, 30, 9}};
    std::uint32_t seed = 70;
    for (const Lobe& l : lobes)
        shadedBlob(t, l.x, l.y, l.r, l.r * 0.85, kLeaf, 6, seed++, 18);
    for (const auto& p : std::vector<std::array<int, 2>>{{17, 21}, {28, 19}, {31, 28}, {21, 31}, {13, 30}}) {
        t.set(p[0], p[1], rgb(90, 110, 230));
        t.set(p[0] + 1, p[1], rgb(60, 70, 170));
        t.set(p[0], p[1] - 1, rgb(200, 210, 255));
    }
    return t;
}

void drawRock(Tile& t, double cx, double cy, double rx, double ry, std::uint32_t seed) {
    groundShadow(t, static_cast<int>(cx + 2), static_cast<int>(cy + ry * 0.7), static_cast<int>(rx + 2),
                 static_cast<int>(ry * 0.45 + 1), 140);
    shadedBlob(t, cx, cy, rx, ry, kStone, 5, seed, 10);
    // A crack and a tuft of moss on top.
    const int x0 = static_cast<int>(cx + rx * 0.2), y0 = static_cast<int>(cy - ry * 0.3);
    for (int i = 0; i < static_cast<int>(ry * 0.6); ++i)
        t.set(x0 + (i % 3 == 2 ? 1 : 0) + i / 3, y0 + i, kStone[1]);
    const int mx = static_cast<int>(cx - rx * 0.35), my = static_cast<int>(cy - ry * 0.72);
    for (int dx = -2; dx <= 3; ++dx) {
        t.set(mx + dx, my, kLeaf[3]);
        if (dx > -2 && dx < 3)
            t.set(mx + dx, my - 1, kLeaf[4]);
    }
}

Tile rockTile() {
    Tile t = grassTile(0);
    drawRock(t, 24, 26, 17, 14, 80);
    return t;
}

Tile stonesTile() {
    Tile t = grassTile(3);
    drawRock(t, 17, 19, 11, 9, 81);
    drawRock(t, 31, 32, 12, 10, 82);
    return t;
}

Tile stumpTile() {
    Tile t = grassTile(1);
    groundShadow(t, 25, 36, 15, 5, 120);
    // Bark sides.
    for (int y = 20; y <= 36; ++y)
        for (int x = 13; x <= 35; ++x) {
            const double nx = (x + 0.5 - 24.5) / 11.5;
            if (std::abs(nx) > 1)
                continue;
            const double bottom = 32 + 4 * std::sqrt(1 - nx * nx);
            if (y > bottom)
                continue;
            sf::Color c = nx < -0.4 ? kBark[2] : (nx < 0.4 ? kBark[1] : kBark[0]);
            if (wrap(x * 3 + y, 5) == 0)
                c = kBark[0];
            if (std::abs(nx) > 0.92 || y >= bottom - 0.6)
                c = kBark[0];
            t.set(x, y, c);
        }
    // Cut face with rings.
    for (int y = 14; y <= 27; ++y)
        for (int x = 13; x <= 35; ++x) {
            const double nx = (x + 0.5 - 24.5) / 11.5, ny = (y + 0.5 - 20.5) / 6.5;
            const double d = std::sqrt(nx * nx + ny * ny);
            if (d > 1)
                continue;
            sf::Color c = rgb(214, 174, 112);
            const int ring = static_cast<int>(d * 4.5);
            if (d > 0.88)
                c = kBark[0];
            else if (ring % 2 == 1)
                c = rgb(184, 138, 84);
            else if (d < 0.12)
                c = rgb(150, 104, 60);
            t.set(x, y, c);
        }
    return t;
}

// ---------------------------------------------------------------------------------------------------------------
// Autotiled terrains (path, water): the shape follows the eight neighbours so edges join across cells
// ---------------------------------------------------------------------------------------------------------------

// Neighbour bits: sides first, then corners.
enum : int { kN = 1, kE = 2, kS = 4, kW = 8, kNE = 16, kSE = 32, kSW = 64, kNW = 128 };

// A corner only matters when both sides next to it belong to the same terrain.
int canonicalMask(int m) {
    if (!((m & kN) && (m & kE)))
        m &= ~kNE;
    if (!((m & kS) && (m & kE)))
        m &= ~kSE;
    if (!((m & kS) && (m & kW)))
        m &= ~kSW;
    if (!((m & kN) && (m & kW)))
        m &= ~kNW;
    return m;
}

// The 47 distinct canonical masks, in increasing order; a terrain's tile number is base + index here.
const std::vector<int>& blobMasks() {
    static const std::vector<int> masks = [] {
        std::vector<int> v;
        for (int m = 0; m < 256; ++m)
            if (canonicalMask(m) == m)
                v.push_back(m);
        return v;
    }();
    return masks;
}

int blobIndex(int mask) {
    const auto& v = blobMasks();
    return static_cast<int>(std::lower_bound(v.begin(), v.end(), canonicalMask(mask)) - v.begin());
}

constexpr int kPad = 4; // the terrain mask is computed a little beyond the cell for edge effects
constexpr int kSpan = kTile + 2 * kPad;

struct TerrainShape {
    std::array<bool, kSpan * kSpan> in;
    bool at(int x, int y) const {
        x = std::clamp(x, -kPad, kTile + kPad - 1);
        y = std::clamp(y, -kPad, kTile + kPad - 1);
        return in[static_cast<std::size_t>((y + kPad) * kSpan + (x + kPad))];
    }
    // 0 outside; otherwise 1 + distance (in pixels, rounded down) to the nearest outside pixel, capped at 5.
    int depth(int x, int y) const {
        if (!at(x, y))
            return 0;
        for (int k = 1; k <= 4; ++k)
            for (int dy = -k; dy <= k; ++dy)
                for (int dx = -k; dx <= k; ++dx)
                    if (dx * dx + dy * dy <= k * k + k && !at(x + dx, y + dy))
                        return k;
        return 5;
    }
};

// Inside when far enough from every neighbouring cell of another terrain, then rounded (a morphological opening):
// borders are `border` pixels wide, outer corners round with radius `round`, and the edge wobbles a little.
TerrainShape terrainShape(int mask, int border, int round, int wobble, std::uint32_t seed) {
    mask = canonicalMask(mask);
    struct Rect {
        int x0, y0, x1, y1;
    };
    std::vector<Rect> others;
    const int dirs[8][3] = {{kN, 0, -1},  {kE, 1, 0},  {kS, 0, 1},   {kW, -1, 0},
                            {kNE, 1, -1}, {kSE, 1, 1}, {kSW, -1, 1}, {kNW, -1, -1}};
    for (const auto& d : dirs)
        if (!(mask & d[0]))
            others.push_back({d[1] * kTile, d[2] * kTile, d[1] * kTile + kTile, d[2] * kTile + kTile});

    const int reach = kPad + round;
    const int qs = kTile + 2 * reach;
    std::vector<bool> core(static_cast<std::size_t>(qs * qs));
    for (int qy = -reach; qy < kTile + reach; ++qy)
        for (int qx = -reach; qx < kTile + reach; ++qx) {
            // Distances in half pixels, measured from the pixel centre.
            const int cx = 2 * qx + 1, cy = 2 * qy + 1;
            int best = 1 << 30;
            for (const Rect& r : others) {
                const int dx = std::max({2 * r.x0 - cx, 0, cx - 2 * r.x1});
                const int dy = std::max({2 * r.y0 - cy, 0, cy - 2 * r.y1});
                best = std::min(best, dx * dx + dy * dy);
            }
            const int noise = (tileNoise(qx, qy, 12, seed) - 128) * wobble / 64;
            const int limit = 2 * (border + round) + noise;
            core[static_cast<std::size_t>((qy + reach) * qs + (qx + reach))] = best > limit * limit;
        }

    TerrainShape s;
    for (int py = -kPad; py < kTile + kPad; ++py)
        for (int px = -kPad; px < kTile + kPad; ++px) {
            bool hit = false;
            for (int dy = -round; dy <= round && !hit; ++dy)
                for (int dx = -round; dx <= round && !hit; ++dx)
                    if (dx * dx + dy * dy <= round * round + round / 2)
                        hit = core[static_cast<std::size_t>((py + dy + reach) * qs + (px + dx + reach))];
            s.in[static_cast<std::size_t>((py + kPad) * kSpan + (px + kPad))] = hit;
        }
    return s;
}

sf::Color dirtAt(int x, int y) {
    const int v = (tileNoise(x, y, 12, 21) * 3 + tileNoise(x, y, 6, 22)) / 4 + (bayer(x, y) - 8) * 5;
    sf::Color c = v < 92 ? kDirt[1] : (v > 170 ? kDirt[3] : kDirt[2]);
    const std::uint32_t h =
        hash(static_cast<std::uint32_t>(wrap(x, kTile)), static_cast<std::uint32_t>(wrap(y, kTile)), 23) % 61;
    const std::uint32_t above =
        hash(static_cast<std::uint32_t>(wrap(x, kTile)), static_cast<std::uint32_t>(wrap(y - 1, kTile)), 23) % 61;
    if (h == 0 || h == 1)
        c = kDirt[4]; // pebble
    else if (above == 0 || above == 1)
        c = kDirt[0]; // its shadow
    else if (h == 2)
        c = kDirt[1];
    return c;
}

Tile pathTile(int mask) {
    const TerrainShape s = terrainShape(mask, 6, 7, 3, 24);
    Tile t;
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            const int d = s.depth(x, y);
            if (d == 0) {
                const bool touches = s.at(x + 1, y) || s.at(x - 1, y) || s.at(x, y + 1) || s.at(x, y - 1);
                t.set(x, y, touches ? kGrass[1] : grassAt(x, y));
            } else if (d == 1) {
                t.set(x, y, kDirt[1]);
            } else if (d == 2 && !s.at(x, y - 2)) {
                t.set(x, y, kDirt[1]); // the grass edge casts a little shadow downwards
            } else {
                t.set(x, y, dirtAt(x, y));
            }
        }
    return t;
}

// Open water colour: gentle bands and a few wave glints, all repeating every 48 pixels.
sf::Color deepWaterAt(int x, int y) {
    const int v = tileNoise(x, y, 24, 31) + (bayer(x, y) - 8) * 3;
    sf::Color c = v < 70 ? kWater[1] : kWater[2];
    // Ripples: short light arcs on a coarse jittered grid.
    const int gx = floorDiv(x, 16), gy = floorDiv(y, 12);
    const std::uint32_t h = hash(static_cast<std::uint32_t>(wrap(gx, 3)), static_cast<std::uint32_t>(wrap(gy, 4)), 32);
    if (h % 4 != 0) {
        const int sx = gx * 16 + 3 + static_cast<int>(h / 4 % 7), sy = gy * 12 + 3 + static_cast<int>(h / 28 % 6);
        if (y == sy && x >= sx && x < sx + 5)
            c = kWater[3];
        if (y == sy + 1 && (x == sx - 1 || x == sx + 5))
            c = kWater[3];
    }
    return c;
}

// One pixel of a water cell: open water, foam and shallows at the shore, an earth bank on the land side.
sf::Color waterPixel(const TerrainShape& s, int x, int y) {
    const int d = s.depth(x, y);
    if (d == 0) {
        if (s.at(x, y + 1))
            return kEarth[0];
        if (s.at(x, y + 2) || s.at(x, y + 3))
            return kEarth[1]; // the bank's face, seen from the south
        if (s.at(x + 1, y) || s.at(x - 1, y) || s.at(x, y - 1))
            return kEarth[0];
        if (s.at(x + 2, y) || s.at(x - 2, y))
            return kEarth[1];
        if (s.at(x + 1, y + 1) || s.at(x - 1, y + 1) || s.at(x + 1, y - 1) || s.at(x - 1, y - 1))
            return kGrass[0];
        return grassAt(x, y);
    }
    if (!s.at(x, y - 1) || !s.at(x, y - 2))
        return kWater[0]; // shade under the bank
    if (d == 1)
        return kWater[4];
    if (d == 2)
        return kWater[3];
    if (d == 3)
        return bayer(x, y) % 2 ? kWater[3] : kWater[2];
    return deepWaterAt(x, y);
}

TerrainShape waterShape(int mask) {
    return terrainShape(mask, 4, 12, 2, 34);
}

Tile waterTile(int mask) {
    const TerrainShape s = waterShape(mask);
    Tile t;
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x)
            t.set(x, y, waterPixel(s, x, y));
    return t;
}

Tile lilyTile() {
    Tile t = waterTile(255);
    const int pads[3][3] = {{14, 15, 6}, {32, 22, 7}, {19, 34, 5}};
    for (const auto& p : pads) {
        for (int dy = -p[2]; dy <= p[2]; ++dy)
            for (int dx = -p[2]; dx <= p[2]; ++dx) {
                const int d = dx * dx + dy * dy * 2;
                const int r = p[2] * p[2];
                if (d > r || (dx > 0 && dy > 0 && std::abs(dx - dy) <= 1))
                    continue; // the notch
                sf::Color c =
                    (d > r - 2 * p[2]) ? rgb(30, 90, 50) : (dx + dy < -1 ? rgb(110, 190, 80) : rgb(70, 150, 60));
                t.set(p[0] + dx, p[1] + dy, c);
            }
        t.shadow(p[0] + 1, p[1] + p[2] / 2 + 2, 60);
    }
    // A pink blossom on the largest pad.
    const int fx = 31, fy = 20;
    const sf::Color pink = rgb(250, 170, 210), deep = rgb(220, 100, 160);
    for (const auto& q : std::vector<std::array<int, 2>>{{0, -2}, {-2, 0}, {2, 0}, {-1, -1}, {1, -1}, {0, 1}})
        t.set(fx + q[0], fy + q[1], pink);
    t.set(fx, fy, rgb(250, 230, 90));
    t.set(fx - 1, fy + 1, deep);
    t.set(fx + 1, fy + 1, deep);
    return t;
}

Tile waterRockTile() {
    Tile t = waterTile(255);
    // Foam ring around a boulder.
    for (int y = 14; y <= 40; ++y)
        for (int x = 8; x <= 40; ++x) {
            const double nx = (x + 0.5 - 24) / 15, ny = (y + 0.5 - 30) / 8;
            const double d = nx * nx + ny * ny;
            if (d <= 1 && d > 0.55 && bayer(x, y) < 10)
                t.set(x, y, kWater[4]);
        }
    shadedBlob(t, 24, 25, 12, 10, kStone, 5, 83, 10);
    for (int x = 14; x <= 34; ++x)
        if (bayer(x, 33) < 12)
            t.set(x, 33, kWater[3]);
    return t;
}

// ---------------------------------------------------------------------------------------------------------------
// Bridges and stone walls
// ---------------------------------------------------------------------------------------------------------------

// A wooden bridge over water. Horizontal bridges are walked left-right; `landA`/`landB` tell whether the west
// (north) and east (south) ends rest on land.
Tile bridgeTile(bool vertical, bool landA, bool landB) {
    int mask = 255;
    if (!vertical) {
        if (landA)
            mask &= ~(kW | kNW | kSW);
        if (landB)
            mask &= ~(kE | kNE | kSE);
    } else {
        if (landA)
            mask &= ~(kN | kNW | kNE);
        if (landB)
            mask &= ~(kS | kSW | kSE);
    }
    Tile water = waterTile(mask);
    Tile t = water;
    // Draw in "along / across" coordinates: u runs along the walking direction, v across it.
    auto put = [&](int u, int v, sf::Color c) {
        if (vertical)
            t.set(v, u, c);
        else
            t.set(u, v, c);
    };
    const int deck0 = 9, deck1 = 38; // across range of the deck
    // Shadow on the water below/right of the deck.
    for (int u = 0; u < kTile; ++u)
        for (int v = deck1 + 1; v <= deck1 + 3; ++v) {
            const int x = vertical ? v : u, y = vertical ? u : v;
            t.set(x, y, mix(water.get(x, y), kWater[0], 170));
        }
    for (int u = 0; u < kTile; ++u) {
        const int plank = u / 6;
        const bool gap = u % 6 == 5;
        const int tone = static_cast<int>(hash(static_cast<std::uint32_t>(plank), 0, 90) % 3);
        for (int v = deck0; v <= deck1; ++v) {
            sf::Color c = gap ? kWood[0] : kWood[1 + tone % 2 + (tone == 2 ? 1 : 0)];
            if (!gap && u % 6 == 0)
                c = kWood[3];
            if (!gap && (v == deck0 + 1 || v == deck1))
                c = kWood[1];
            if (!gap && hash(static_cast<std::uint32_t>(u), static_cast<std::uint32_t>(v), 91) % 23 == 0)
                c = kWood[1];
            put(u, v, c);
        }
    }
    // Rails with posts.
    for (int side = 0; side < 2; ++side) {
        const int v0 = side == 0 ? deck0 - 3 : deck1 - 3;
        for (int u = 0; u < kTile; ++u) {
            put(u, v0, kWood[0]);
            put(u, v0 + 1, kWood[3]);
            put(u, v0 + 2, kWood[2]);
            put(u, v0 + 3, kWood[0]);
        }
        for (int post : {4, 40}) {
            for (int du = 0; du < 4; ++du)
                for (int dv = -1; dv <= 4; ++dv) {
                    sf::Color c =
                        (du == 0 || du == 3 || dv == -1 || dv == 4) ? kWood[0] : (du == 1 ? kWood[3] : kWood[2]);
                    put(post + du, v0 + dv, c);
                }
        }
    }
    return t;
}

// Dry stone wall in three-quarter view: a cobbled top, and a bricked south face where the wall ends or turns.
// `mask` uses the four side bits for neighbouring wall cells.
bool wallTopAt(int mask, int x, int y) {
    const int x0 = 12, x1 = 36, y0 = 8, y1 = 26;
    if (x >= x0 && x < x1 && y >= y0 && y < y1)
        return true;
    if ((mask & kN) && x >= x0 && x < x1 && y < y0)
        return true;
    if ((mask & kS) && x >= x0 && x < x1 && y >= y1)
        return true;
    if ((mask & kW) && x < x0 && y >= y0 && y < y1)
        return true;
    if ((mask & kE) && x >= x1 && y >= y0 && y < y1)
        return true;
    return false;
}

// Stones of the wall top: a jittered grid repeating every 48 pixels. Returns the stone's id, -1 on a joint.
int cobbleAt(int x, int y) {
    const int cell = 8, n = kTile / cell;
    const int gx = floorDiv(x, cell), gy = floorDiv(y, cell);
    int best = 1 << 30, second = 1 << 30, id = 0;
    for (int j = gy - 1; j <= gy + 1; ++j)
        for (int i = gx - 1; i <= gx + 1; ++i) {
            const std::uint32_t h =
                hash(static_cast<std::uint32_t>(wrap(i, n)), static_cast<std::uint32_t>(wrap(j, n)), 95);
            const int px = i * cell * 2 + 3 + static_cast<int>(h % 10),
                      py = j * cell * 2 + 3 + static_cast<int>(h / 10 % 10);
            const int dx = 2 * x + 1 - px, dy = 2 * y + 1 - py;
            const int d = dx * dx + dy * dy;
            if (d < best) {
                second = best;
                best = d;
                id = static_cast<int>(h % 1000);
            } else if (d < second) {
                second = d;
            }
        }
    return std::sqrt(static_cast<double>(second)) - std::sqrt(static_cast<double>(best)) < 2.2 ? -1 : id;
}

Tile wallTile(int mask) {
    Tile t = grassTile(0);
    const int face = 14;
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            if (wallTopAt(mask, x, y)) {
                const int id = cobbleAt(x, y);
                sf::Color c;
                if (id < 0)
                    c = kStone[0];
                else if (cobbleAt(x - 1, y - 1) < 0 || cobbleAt(x, y - 1) < 0)
                    c = kStone[4];
                else if (cobbleAt(x + 1, y + 1) < 0)
                    c = kStone[1];
                else
                    c = (id % 3 == 0) ? kStone[2] : kStone[3];
                if (id >= 0 && id % 7 == 0 && c != kStone[0] &&
                    hash(static_cast<std::uint32_t>(wrap(x, kTile)), static_cast<std::uint32_t>(y), 96) % 3 == 0)
                    c = (c == kStone[4]) ? kLeaf[4] : kLeaf[3]; // moss
                // Outline where the top meets the grass on the sides and north.
                if (!wallTopAt(mask, x - 1, y) || !wallTopAt(mask, x + 1, y) || !wallTopAt(mask, x, y - 1))
                    c = kStone[0];
                t.set(x, y, c);
                continue;
            }
            int k = 1;
            while (k <= face + 2 && !wallTopAt(mask, x, y - k))
                ++k;
            if (k <= face) {
                // Bricked face: courses of 5 pixels, bricks of 12, staggered.
                const int row = (k - 1) / 5;
                const int inRow = (k - 1) % 5;
                const int bx = wrap(x + (row % 2) * 6, 12);
                sf::Color c = (row + bx / 4) % 2 ? kStone[2] : kStone[1];
                if (inRow == 4 || bx == 0)
                    c = kStone[0];
                else if (inRow == 0 || bx == 1)
                    c = mix(kStone[2], kStone[3], 128);
                if (k == face || !wallTopAt(mask, x - 1, y - k) || !wallTopAt(mask, x + 1, y - k))
                    c = kStone[0];
                t.set(x, y, c);
            } else if (k <= face + 2) {
                t.shadow(x, y, 120);
            }
        }
    return t;
}

// ---------------------------------------------------------------------------------------------------------------
// The tileset
// ---------------------------------------------------------------------------------------------------------------

// Tile numbers.
constexpr int kGrassTile = 0;  // 0..3 grass variants
constexpr int kFlowerTile = 4; // 4..7 flower meadows
constexpr int kOak = 8;
constexpr int kPineTree = 9;
constexpr int kAppleTree = 10;
constexpr int kBirch = 11;
constexpr int kBush = 12;
constexpr int kRock = 13;
constexpr int kStones = 14;
constexpr int kStump = 15;
constexpr int kWallTile = 16;   // 16..31: + N(1) E(2) S(4) W(8) wall neighbours
constexpr int kBridgeTile = 32; // 32..39: + 4 if vertical, + 1 land at west/north end, + 2 land at east/south end
constexpr int kPathTile = 40;   // 40..86: + blob index of the path neighbours
constexpr int kWaterTile = 87;  // 87..133: + blob index of the water neighbours
constexpr int kLilyTile = 134;
constexpr int kWaterRock = 135;
constexpr int kTileCount = 136;

sf::Image buildTileset() {
    std::vector<Tile> tiles(kTileCount);
    for (int v = 0; v < 4; ++v) {
        tiles[static_cast<std::size_t>(kGrassTile + v)] = grassTile(v);
        tiles[static_cast<std::size_t>(kFlowerTile + v)] = flowerTile(v);
    }
    tiles[kOak] = oakTile(false);
    tiles[kPineTree] = pineTile();
    tiles[kAppleTree] = oakTile(true);
    tiles[kBirch] = birchTile();
    tiles[kBush] = bushTile();
    tiles[kRock] = rockTile();
    tiles[kStones] = stonesTile();
    tiles[kStump] = stumpTile();
    for (int m = 0; m < 16; ++m)
        tiles[static_cast<std::size_t>(kWallTile + m)] = wallTile(m);
    for (int b = 0; b < 8; ++b)
        tiles[static_cast<std::size_t>(kBridgeTile + b)] = bridgeTile((b & 4) != 0, (b & 1) != 0, (b & 2) != 0);
    const auto& masks = blobMasks();
    for (std::size_t i = 0; i < masks.size(); ++i) {
        tiles[kPathTile + i] = pathTile(masks[i]);
        tiles[kWaterTile + i] = waterTile(masks[i]);
    }
    tiles[kLilyTile] = lilyTile();
    tiles[kWaterRock] = waterRockTile();

    const int rows = (kTileCount + kColumns - 1) / kColumns;
    sf::Image img;
    img.create(kColumns * kTile, rows * kTile, sf::Color::Transparent);
    for (int n = 0; n < kTileCount; ++n)
        for (int y = 0; y < kTile; ++y)
            for (int x = 0; x < kTile; ++x) {
                sf::Color c = tiles[static_cast<std::size_t>(n)].get(x, y);
                c.a = 255;
                img.setPixel(static_cast<unsigned>(n % kColumns * kTile + x),
                             static_cast<unsigned>(n / kColumns * kTile + y), c);
            }
    return img;
}

// ---------------------------------------------------------------------------------------------------------------
// The hero's sprite sheet
// ---------------------------------------------------------------------------------------------------------------

constexpr int kFrameW = 24, kFrameH = 32;

struct Frame {
    std::array<std::string, kFrameH> rows;
    Frame() { rows.fill(std::string(kFrameW, '.')); }
    void put(int x, int y, char c) {
        if (x >= 0 && y >= 0 && x < kFrameW && y < kFrameH && c != '.')
            rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = c;
    }
    char get(int x, int y) const {
        if (x < 0 || y < 0 || x >= kFrameW || y >= kFrameH)
            return '.';
        return rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    }
    void stamp(int x0, int y0, const std::vector<std::string>& art) {
        for (std::size_t j = 0; j < art.size(); ++j)
            for (std::size_t i = 0; i < art[j].size(); ++i)
                put(x0 + static_cast<int>(i), y0 + static_cast<int>(j), art[j][i]);
    }
    void rect(int x0, int y0, int w, int h, char c) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                put(x, y, c);
    }
    // Dark outline around the whole figure.
    void outline() {
        Frame copy = *this;
        for (int y = 0; y < kFrameH; ++y)
            for (int x = 0; x < kFrameW; ++x)
                if (copy.get(x, y) == '.' && (copy.get(x - 1, y) != '.' || copy.get(x + 1, y) != '.' ||
                                              copy.get(x, y - 1) != '.' || copy.get(x, y + 1) != '.'))
                    put(x, y, 'K');
    }
};

// clang-format off
sf::Color heroColour(char c) {
    switch (c) {
    case 'K': return rgb(40, 26, 34);
    case 'H': return rgb(150, 84, 42);
    case 'h': return rgb(104, 56, 32);
    case 'i': return rgb(200, 130, 70);
    case 'S': return rgb(252, 210, 168);
    case 's': return rgb(222, 162, 126);
    case 'r': return rgb(242, 150, 136);
    case 'E': return rgb(36, 30, 64);
    case 'T': return rgb(208, 60, 52);
    case 't': return rgb(148, 38, 42);
    case 'u': return rgb(240, 116, 92);
    case 'B': return rgb(98, 60, 36);
    case 'Y': return rgb(244, 204, 80);
    case 'P': return rgb(62, 76, 138);
    case 'p': return rgb(42, 50, 100);
    case 'O': return rgb(110, 70, 42);
    case 'o': return rgb(70, 44, 30);
    case 'G': return rgb(176, 130, 74);
    case 'g': return rgb(124, 88, 50);
    default: return sf::Color::Transparent;
    }
}

const std::vector<std::string> kHeadDown = {
    "..HHHHHH..",
    ".HiiHHHHH.",
    "HiiHHHHHHh",
    "HiHHHHHHHh",
    "HHHHHHHHHh",
    "HHSHHHSHHh",
    "HSSSSSSSSh",
    "hSESSSSESh",
    "hSESSSSESh",
    ".SrSSSSrS.",
    ".sSSSSSSs.",
    "..ssssss..",
};

const std::vector<std::string> kHeadUp = {
    "..HHHHHH..",
    ".HiiHHHHH.",
    "HiiHHHHHHh",
    "HiHHHHHHHh",
    "HHHHHHHHHh",
    "HHHHHHHHHh",
    "HHHHHHHHhh",
    "hHHHHHHHhh",
    "hhHHHHHHhh",
    ".hhHHHHhh.",
    ".shhhhhhs.",
    "..ssssss..",
};

const std::vector<std::string> kHeadRight = {
    "..HHHHHH...",
    ".HiiHHHHH..",
    "HiiHHHHHHH.",
    "HiHHHHHHHH.",
    "HHHHHHHHHH.",
    "HHHHHHHSHS.",
    "HHHhHSSSSS.",
    "hHHSsSSSES.",
    "hHHssSSSESS",
    ".hHhSSSSSS.",
    "..hSSSSSSs.",
    "...sssss...",
};

const std::vector<std::string> kTorsoDown = {
    "tTTSSTTt",
    "tTTTTTTt",
    "tuTTTTTt",
    "tuTTTTTt",
    "tTTTTTTt",
    "BBBYYBBB",
    "PPPPPPPP",
};

const std::vector<std::string> kTorsoUp = {
    "tTTTTTTt",
    "tTGGGGTt",
    "tTGggGTt",
    "tTGGGGTt",
    "tTggggTt",
    "BBBBBBBB",
    "PPPPPPPP",
};

const std::vector<std::string> kTorsoRight = {
    "tTTTTu",
    "tTTTTT",
    "tTTTTT",
    "tTTTTT",
    "tTTTTT",
    "BBBBYB",
    "pPPPPP",
};

// clang-format on

// One front/back arm, hanging from the shoulder; `dy` lengthens (+1) or shortens (-1) it with the swing.
void armFrontBack(Frame& f, int x, int dy, char sleeve, char sleeveShade) {
    const int len = 4 + dy;
    f.rect(x, 15, 2, len, sleeve);
    f.put(x + 1, 15, sleeveShade);
    f.rect(x, 15 + len, 2, 2, 'S');
    f.put(x + 1, 16 + len, 's');
}

// One front/back leg from the hip; `dy` lengthens (stepping forward, +1) or lifts (-1) it.
void legFrontBack(Frame& f, int x, int dy) {
    const int len = 8 + dy; // hip at row 22
    const int pants = len - 4;
    f.rect(x, 22, 3, pants, 'P');
    f.put(x + 2, 22, 'p');
    f.rect(x, 22 + pants, 3, 4, 'O');
    f.rect(x, 22 + len - 1, 3, 1, 'o');
}

Frame heroFrontBack(bool down, int step) {
    Frame f;
    // step: -1 for column 0, +1 for column 2; the leg and the opposite arm swing together.
    const int leftLeg = down ? -step : step; // screen-left leg
    const int rightLeg = -leftLeg;
    legFrontBack(f, 8, leftLeg);
    legFrontBack(f, 13, rightLeg);
    f.stamp(8, 15, down ? kTorsoDown : kTorsoUp);
    armFrontBack(f, 6, rightLeg, 'T', 't');
    armFrontBack(f, 16, leftLeg, 'T', 't');
    f.stamp(7, 3, down ? kHeadDown : kHeadUp);
    f.outline();
    return f;
}

// Side legs: hip at (x, 22), the foot slides `stride` pixels forward (+) or back (-).
void legSide(Frame& f, int x, int stride, char pants, char boot, char bootShade) {
    for (int r = 0; r < 8; ++r) {
        const int off = stride * r / 7;
        const bool isBoot = r >= 5;
        f.rect(x + off, 22 + r, 3, 1, isBoot ? boot : pants);
        if (r == 7) {
            f.put(x + off + 3, 22 + r, bootShade);
            f.rect(x + off, 22 + r, 3, 1, bootShade);
        } else if (r == 6) {
            f.put(x + off + 3, 22 + r, boot);
        }
    }
}

Frame heroRight(int step) {
    Frame f;
    // Far leg first (darker), then the near one over it.
    legSide(f, 10, 3 * step * -1, 'p', 'o', 'o');
    legSide(f, 11, 3 * step, 'P', 'O', 'o');
    f.stamp(9, 15, kTorsoRight);
    // Near arm swings against the near leg.
    const int swing = -step;
    for (int r = 0; r < 5; ++r) {
        const int off = swing * r * 2 / 4;
        f.put(11 + off, 15 + r, 'T');
        f.put(12 + off, 15 + r, r < 2 ? 'u' : 'T');
        f.put(10 + off, 15 + r, 't');
    }
    const int hand = swing * 2;
    f.rect(11 + hand, 20, 2, 2, 'S');
    f.put(12 + hand, 21, 's');
    f.stamp(7, 3, kHeadRight);
    f.outline();
    return f;
}

sf::Image buildHero() {
    sf::Image img;
    img.create(3 * kFrameW, 4 * kFrameH, sf::Color::Transparent);
    auto blit = [&](const Frame& f, int col, int row, bool mirror) {
        for (int y = 0; y < kFrameH; ++y)
            for (int x = 0; x < kFrameW; ++x) {
                const char c = f.get(mirror ? kFrameW - 1 - x : x, y);
                img.setPixel(static_cast<unsigned>(col * kFrameW + x), static_cast<unsigned>(row * kFrameH + y),
                             heroColour(c));
            }
    };
    for (int col = 0; col < 3; ++col) {
        const int step = col - 1;
        blit(heroFrontBack(false, step), col, 0, false); // up
        blit(heroRight(step), col, 1, false);            // right
        blit(heroFrontBack(true, step), col, 2, false);  // down
        blit(heroRight(step), col, 3, true);             // left
    }
    return img;
}

// ---------------------------------------------------------------------------------------------------------------
// The level
// ---------------------------------------------------------------------------------------------------------------

// Legend: '.' grass, ',' flowers, '#' path, '=' bridge, '~' water, 'T' oak, 'A' pine, 'F' apple tree, 'Y' birch,
// 'b' bush, 'o' rock, 'q' stones, 's' stump, 'W' stone wall, 'l' lily pads, 'r' rock in the water.
// clang-format off
const std::vector<std::string> kLevel = {
    "TTTATATTTTATTTTATATTATTT~~TTTTAATTTATTAT",
    "A...,,,...TTA.....b..T.b~~...oo......TTT",
    "T..,,,.............,,.,.~~.....WWW,WW.TA",
    "T.####...,....TTYT......~~~.b..W,,,,W.AT",
    "T....#..,,....TFTTT......~~....W,,,,W..T",
    "A....#####.....TTTF.#####==###.........T",
    "T...b....####.TTYT..#,...~~..##.....AA.A",
    "T.....,,..b.#..TT..##.,.~~~~..#....AAA.T",
    "T..Y...,,...#......#...~~~~~~q#..b..A..T",
    "A...........#####..#..~~~~~~~~##....Y..T",
    "T.TT.....Y..#...####.~~~~~~~r~.###.....A",
    "T.TTA......##.....,,.~~l~T~~~~~..#.,.q.T",
    "T.AT.......#......,,.~~~~~~~~~~o.##,AAAT",
    "A....b..#######.......~~~~~l~~o...#.AAAT",
    "T.......#.....####..bbo~~~~~~.....#...AA",
    "T..WWWWW#WWWWW...#......~~~~..WWWW#WWWWT",
    "T..W..,,#,,,,W,,.#..YY..b~~~....,.#....T",
    "A..W.F,.#.F.,W.,.##.......~~..,,..#....T",
    "T..W...,.,,..W....########==####..#,,,.A",
    "TT.W.q...,,s.W............~~...####,,,,T",
    "TT.W,,.......W,,...,,..s..~~~.....##,,,T",
    "A..WWWWWWWWWWW..~~~........~~......#.b,T",
    "T.,,...TT......~~l~~.......~~..Y,,.##,,A",
    "TT,,,..TAT...bb.~~~..oo....~~~.,,,....TT",
    "TTT.....T.............T.b...~~......ATTT",
    "ATTATATTTTATTTTATATTATTTAATT~~AATTTATTAT",
};
// clang-format on

bool isWaterChar(char c) {
    return c == '~' || c == 'l' || c == 'r';
}

bool blocks(char c) {
    return !(c == '.' || c == ',' || c == '#' || c == '=');
}

struct Level {
    int w = 0, h = 0;
    std::vector<std::string> cells;
    char at(int x, int y) const { return cells[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]; }
};

// Neighbour mask of cell (x, y) for cells satisfying `same`; cells beyond the border count as the cell itself.
template <typename Pred> int neighbourMask(const Level& lv, int x, int y, Pred same) {
    const int dirs[8][3] = {{kN, 0, -1},  {kE, 1, 0},  {kS, 0, 1},   {kW, -1, 0},
                            {kNE, 1, -1}, {kSE, 1, 1}, {kSW, -1, 1}, {kNW, -1, -1}};
    int m = 0;
    for (const auto& d : dirs) {
        const int nx = x + d[1], ny = y + d[2];
        const bool outside = nx < 0 || ny < 0 || nx >= lv.w || ny >= lv.h;
        if (outside ? same(lv.at(x, y)) : same(lv.at(nx, ny)))
            m |= d[0];
    }
    return m;
}

int tileFor(const Level& lv, int x, int y) {
    const char c = lv.at(x, y);
    const std::uint32_t h = hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 777);
    switch (c) {
    case '.': {
        const std::uint32_t r = h % 20;
        return kGrassTile + (r < 11 ? 0 : (r < 15 ? 1 : (r < 18 ? 2 : 3)));
    }
    case ',':
        return kFlowerTile + static_cast<int>(h % 4);
    case 'T':
        return kOak;
    case 'A':
        return kPineTree;
    case 'F':
        return kAppleTree;
    case 'Y':
        return kBirch;
    case 'b':
        return kBush;
    case 'o':
        return kRock;
    case 'q':
        return kStones;
    case 's':
        return kStump;
    case 'l':
        return kLilyTile;
    case 'r':
        return kWaterRock;
    case 'W':
        return kWallTile + (neighbourMask(lv, x, y, [](char n) { return n == 'W'; }) & 15);
    case '#':
        return kPathTile + blobIndex(neighbourMask(lv, x, y, [](char n) { return n == '#' || n == '='; }));
    case '~':
        return kWaterTile + blobIndex(neighbourMask(lv, x, y, [](char n) { return isWaterChar(n) || n == '='; }));
    case '=': {
        auto waterish = [&](int nx, int ny) {
            if (nx < 0 || ny < 0 || nx >= lv.w || ny >= lv.h)
                return true;
            const char n = lv.at(nx, ny);
            return isWaterChar(n) || n == '=';
        };
        // A bridge is walked across the water: along the row when water lies above and below it.
        const bool vertical = !(waterish(x, y - 1) && waterish(x, y + 1));
        const bool landA = vertical ? !waterish(x, y - 1) : !waterish(x - 1, y);
        const bool landB = vertical ? !waterish(x, y + 1) : !waterish(x + 1, y);
        return kBridgeTile + (vertical ? 4 : 0) + (landA ? 1 : 0) + (landB ? 2 : 0);
    }
    default:
        throw std::runtime_error(std::string("unknown level character '") + c + "'");
    }
}

Level checkedLevel() {
    Level lv;
    lv.cells = kLevel;
    lv.h = static_cast<int>(lv.cells.size());
    lv.w = lv.h > 0 ? static_cast<int>(lv.cells[0].size()) : 0;
    if (lv.w < 30 || lv.h < 20)
        throw std::runtime_error("level too small");
    for (int y = 0; y < lv.h; ++y)
        if (static_cast<int>(lv.cells[static_cast<std::size_t>(y)].size()) != lv.w)
            throw std::runtime_error("level row " + std::to_string(y) + " has the wrong width");
    for (int y = 0; y < lv.h; ++y)
        for (int x = 0; x < lv.w; ++x)
            if ((x == 0 || y == 0 || x == lv.w - 1 || y == lv.h - 1) && !blocks(lv.at(x, y)))
                throw std::runtime_error("border cell (" + std::to_string(x) + ", " + std::to_string(y) + ") is open");
    if (blocks(lv.at(1, 1)))
        throw std::runtime_error("the start cell (1, 1) is blocked");
    // Every open cell must be reachable from the start.
    std::vector<bool> seen(static_cast<std::size_t>(lv.w * lv.h));
    std::queue<std::array<int, 2>> todo;
    todo.push({1, 1});
    seen[static_cast<std::size_t>(lv.w + 1)] = true;
    while (!todo.empty()) {
        const auto [x, y] = todo.front();
        todo.pop();
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& s : steps) {
            const int nx = x + s[0], ny = y + s[1];
            if (nx < 0 || ny < 0 || nx >= lv.w || ny >= lv.h || blocks(lv.at(nx, ny)))
                continue;
            const std::size_t i = static_cast<std::size_t>(ny * lv.w + nx);
            if (!seen[i]) {
                seen[i] = true;
                todo.push({nx, ny});
            }
        }
    }
    for (int y = 0; y < lv.h; ++y)
        for (int x = 0; x < lv.w; ++x)
            if (!blocks(lv.at(x, y)) && !seen[static_cast<std::size_t>(y * lv.w + x)])
                throw std::runtime_error("cell (" + std::to_string(x) + ", " + std::to_string(y) +
                                         ") cannot be reached from the start");
    return lv;
}

std::string levelText(const Level& lv) {
    std::string out = "tilesets/Decor.png|" + std::to_string(kTile) + "|" + std::to_string(kTile) + "|" +
                      std::to_string(lv.w) + "|" + std::to_string(lv.h) + "\n";
    for (int y = 0; y < lv.h; ++y) {
        for (int x = 0; x < lv.w; ++x)
            out += (x ? "|" : "") + std::to_string(tileFor(lv, x, y));
        out += "\n";
    }
    for (int y = 0; y < lv.h; ++y) {
        for (int x = 0; x < lv.w; ++x)
            out += std::string(x ? "|" : "") + (blocks(lv.at(x, y)) ? "1" : "0");
        out += "\n";
    }
    return out;
}

void save(const sf::Image& img, const fs::path& path) {
    if (!img.saveToFile(path.string()))
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc > 2)
            throw std::runtime_error("usage: genere_assets [output_root]");
        const fs::path root = argc == 2 ? fs::path(argv[1]) : fs::path(".");
        const Level level = checkedLevel();
        const std::string text = levelText(level);
        fs::create_directories(root / "tilesets");
        fs::create_directories(root / "map");
        save(buildTileset(), root / "tilesets" / "Decor.png");
        save(buildHero(), root / "tilesets" / "Pelmur.png");
        std::ofstream out(root / "map" / "base_map.txt", std::ios::binary);
        out << text;
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + (root / "map" / "base_map.txt").string());
    } catch (const std::exception& e) {
        std::cerr << "genere_assets: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
