// The committed assets: genere_assets rebuilds them byte for byte, and they have the shape the game reads.

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <queue>
#include <set>
#include <string>
#include <vector>

#include "outils_test.hpp"

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = ORPA_SOURCE_DIR;
const std::set<std::string> kGenerated = {"map/base_map.txt", "tilesets/Decor.png", "tilesets/Pelmur.png"};

using outils::litFichier;

// Splits on `sep`, keeping empty fields, so "1||2" and "1|2|" show up as malformed.
std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == sep)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

bool isNumber(const std::string& s) {
    return !s.empty() && s.size() < 9 && s.find_first_not_of("0123456789") == std::string::npos;
}

// Runs the generator with `args` in `dir`, capturing its output.
outils::Execution runGenerator(const std::vector<std::string>& args, const fs::path& dir) {
    return outils::execute(ORPA_GENERE_ASSETS, args, dir);
}

TEST(GenereAssets, RegeneratesTheCommittedFilesByteForByte) {
    outils::DossierTemp tmp;
    const fs::path root = tmp.chemin() / "fresh" / "root"; // does not exist yet: the generator makes it
    const outils::Execution run = runGenerator({root.string()}, tmp.chemin());
    ASSERT_EQ(run.statut, 0) << run.erreurs;
    EXPECT_EQ(run.sortie, "");
    EXPECT_EQ(run.erreurs, "");

    std::set<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            written.insert(fs::relative(entry.path(), root).generic_string());
    EXPECT_EQ(written, kGenerated);
    for (const std::string& name : kGenerated) {
        const std::string committed = litFichier(kRoot / name);
        ASSERT_FALSE(committed.empty()) << name << " is missing from the project";
        EXPECT_TRUE(litFichier(root / name) == committed) << name << " differs from the committed file: regenerate it";
    }
}

TEST(GenereAssets, FailsLoudlyWhenItCannotWrite) {
    outils::DossierTemp tmp;
    std::ofstream(tmp.chemin() / "plain_file") << "x";
    const std::vector<std::string> cases[] = {
        {(tmp.chemin() / "plain_file").string()},           // the root is a file
        {(tmp.chemin() / "plain_file" / "below").string()}, // the root is under a file
        {tmp.chemin().string(), "extra"},                   // one argument too many
    };
    for (const std::vector<std::string>& args : cases) {
        const outils::Execution run = runGenerator(args, tmp.chemin());
        EXPECT_NE(run.statut, 0) << ::testing::PrintToString(args);
        EXPECT_NE(run.erreurs, "") << ::testing::PrintToString(args);
    }
}

// The committed level, cut into its header, tile rows and presence rows.
struct LevelFile {
    std::string text;
    std::vector<std::string> lines;
    std::vector<std::string> header;
    int w = 0, h = 0;
    std::vector<std::vector<std::string>> tiles, presence;
    bool blocked(int x, int y) const {
        return presence[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == "1";
    }
};

class CommittedLevel : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        LevelFile& lv = level();
        lv.text = litFichier(kRoot / "map" / "base_map.txt");
        std::string body = lv.text;
        if (!body.empty() && body.back() == '\n')
            body.pop_back();
        lv.lines = split(body, '\n');
        lv.header = split(lv.lines[0], '|');
        if (lv.header.size() == 5 && isNumber(lv.header[3]) && isNumber(lv.header[4])) {
            lv.w = std::stoi(lv.header[3]);
            lv.h = std::stoi(lv.header[4]);
        }
        for (std::size_t i = 1; i < lv.lines.size(); ++i)
            (static_cast<int>(i) <= lv.h ? lv.tiles : lv.presence).push_back(split(lv.lines[i], '|'));
    }
    static LevelFile& level() {
        static LevelFile lv;
        return lv;
    }
};

TEST_F(CommittedLevel, HeaderNamesTheTilesetAndASizeThatScrolls) {
    const LevelFile& lv = level();
    ASSERT_EQ(lv.header.size(), 5u) << lv.lines[0];
    EXPECT_EQ(lv.header[0], "tilesets/Decor.png");
    EXPECT_EQ(lv.header[1], "48");
    EXPECT_EQ(lv.header[2], "48");
    EXPECT_GE(lv.w, 30);
    EXPECT_GE(lv.h, 20);
}

TEST_F(CommittedLevel, HasExactlyHRowsOfWFieldsOfEachKind) {
    const LevelFile& lv = level();
    EXPECT_EQ(lv.text.find('\r'), std::string::npos);
    ASSERT_FALSE(lv.text.empty());
    EXPECT_EQ(lv.text.back(), '\n');
    EXPECT_EQ(lv.text.find("\n\n"), std::string::npos);
    ASSERT_EQ(lv.lines.size(), 1u + 2u * static_cast<std::size_t>(lv.h));

    const sf::Vector2u size = [] {
        sf::Image img;
        return img.loadFromFile((kRoot / "tilesets" / "Decor.png").string()) ? img.getSize() : sf::Vector2u();
    }();
    const int tileCount = static_cast<int>((size.x / 48) * (size.y / 48));
    ASSERT_GT(tileCount, 0);
    for (int y = 0; y < lv.h; ++y) {
        const auto& row = lv.tiles[static_cast<std::size_t>(y)];
        ASSERT_EQ(row.size(), static_cast<std::size_t>(lv.w)) << "tile row " << y;
        for (const std::string& f : row) {
            ASSERT_TRUE(isNumber(f)) << "tile row " << y << ": '" << f << "'";
            EXPECT_LT(std::stoi(f), tileCount) << "tile row " << y << " names a tile outside the tileset";
        }
        const auto& pres = lv.presence[static_cast<std::size_t>(y)];
        ASSERT_EQ(pres.size(), static_cast<std::size_t>(lv.w)) << "presence row " << y;
        for (const std::string& f : pres)
            ASSERT_TRUE(f == "0" || f == "1") << "presence row " << y << ": '" << f << "'";
    }
}

TEST_F(CommittedLevel, StartIsFreeAndTheOuterRingIsBlocked) {
    const LevelFile& lv = level();
    ASSERT_EQ(lv.presence.size(), static_cast<std::size_t>(lv.h));
    EXPECT_FALSE(lv.blocked(1, 1));
    for (int x = 0; x < lv.w; ++x) {
        EXPECT_TRUE(lv.blocked(x, 0)) << "cell (" << x << ", 0)";
        EXPECT_TRUE(lv.blocked(x, lv.h - 1)) << "cell (" << x << ", " << lv.h - 1 << ")";
    }
    for (int y = 0; y < lv.h; ++y) {
        EXPECT_TRUE(lv.blocked(0, y)) << "cell (0, " << y << ")";
        EXPECT_TRUE(lv.blocked(lv.w - 1, y)) << "cell (" << lv.w - 1 << ", " << y << ")";
    }
}

TEST_F(CommittedLevel, EveryFreeCellCanBeWalkedToFromTheStart) {
    const LevelFile& lv = level();
    ASSERT_EQ(lv.presence.size(), static_cast<std::size_t>(lv.h));
    std::vector<std::vector<bool>> seen(static_cast<std::size_t>(lv.h),
                                        std::vector<bool>(static_cast<std::size_t>(lv.w)));
    std::queue<std::pair<int, int>> todo;
    todo.push({1, 1});
    seen[1][1] = true;
    while (!todo.empty()) {
        const auto [x, y] = todo.front();
        todo.pop();
        for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= lv.w || ny >= lv.h || lv.blocked(nx, ny) ||
                seen[static_cast<std::size_t>(ny)][static_cast<std::size_t>(nx)])
                continue;
            seen[static_cast<std::size_t>(ny)][static_cast<std::size_t>(nx)] = true;
            todo.push({nx, ny});
        }
    }
    for (int y = 0; y < lv.h; ++y)
        for (int x = 0; x < lv.w; ++x)
            if (!lv.blocked(x, y)) {
                EXPECT_TRUE(seen[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)])
                    << "cell (" << x << ", " << y << ") is free but walled in";
            }
}

// A tile's picture either shows an obstacle or it does not: the same tile number is never free in one cell
// and blocked in another.
TEST_F(CommittedLevel, EachTileNumberIsAlwaysFreeOrAlwaysBlocked) {
    const LevelFile& lv = level();
    ASSERT_EQ(lv.tiles.size(), static_cast<std::size_t>(lv.h));
    std::map<std::string, std::string> seen; // tile number -> presence value and where it was first seen
    for (int y = 0; y < lv.h; ++y)
        for (int x = 0; x < lv.w; ++x) {
            const std::string& tile = lv.tiles[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            const std::string here = std::string(lv.blocked(x, y) ? "blocked" : "free") + " at (" + std::to_string(x) +
                                     ", " + std::to_string(y) + ")";
            const auto [it, fresh] = seen.emplace(tile, here);
            if (!fresh) {
                EXPECT_EQ(it->second.substr(0, 4), here.substr(0, 4))
                    << "tile " << tile << ": " << it->second << " but " << here;
            }
        }
}

TEST(CommittedTileset, IsAnOpaqueGridOf48PixelTiles) {
    sf::Image img;
    ASSERT_TRUE(img.loadFromFile((kRoot / "tilesets" / "Decor.png").string()));
    const sf::Vector2u size = img.getSize();
    EXPECT_EQ(size.x % 48, 0u);
    EXPECT_EQ(size.y % 48, 0u);
    ASSERT_GE(size.x, 48u);
    ASSERT_GE(size.y, 48u);
    for (unsigned y = 0; y < size.y; ++y)
        for (unsigned x = 0; x < size.x; ++x)
            if (img.getPixel(x, y).a != 255)
                FAIL() << "see-through pixel at (" << x << ", " << y << ")";
}

class CommittedHero : public ::testing::Test {
protected:
    static const sf::Image& sheet() {
        static const sf::Image img = [] {
            sf::Image i;
            i.loadFromFile((kRoot / "tilesets" / "Pelmur.png").string());
            return i;
        }();
        return img;
    }
    // True when frames (colA, rowA) and (colB, rowB) match on the frame lines fromY..toY-1.
    static bool sameFrames(int colA, int rowA, int colB, int rowB, int fromY, int toY) {
        for (int y = fromY; y < toY; ++y)
            for (int x = 0; x < 24; ++x)
                if (sheet().getPixel(static_cast<unsigned>(colA * 24 + x), static_cast<unsigned>(rowA * 32 + y)) !=
                    sheet().getPixel(static_cast<unsigned>(colB * 24 + x), static_cast<unsigned>(rowB * 32 + y)))
                    return false;
        return true;
    }
};

TEST_F(CommittedHero, SheetHoldsThreeColumnsByFourRowsOf24By32) {
    EXPECT_EQ(sheet().getSize(), sf::Vector2u(72, 128));
}

// Each frame is a figure standing free on transparency: nothing touches the frame's sides or top, so no frame
// bleeds into its neighbour when the game cuts it out.
TEST_F(CommittedHero, EachFrameIsAFigureOnATransparentBackground) {
    ASSERT_EQ(sheet().getSize(), sf::Vector2u(72, 128));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col) {
            int opaque = 0, clear = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 24; ++x) {
                    const sf::Uint8 a =
                        sheet().getPixel(static_cast<unsigned>(col * 24 + x), static_cast<unsigned>(row * 32 + y)).a;
                    opaque += a == 255;
                    clear += a == 0;
                    if ((x == 0 || x == 23 || y == 0) && a != 0)
                        ADD_FAILURE() << "frame (" << col << ", " << row << ") touches its edge at (" << x << ", " << y
                                      << ")";
                }
            EXPECT_EQ(opaque + clear, 24 * 32) << "frame (" << col << ", " << row << ") has half-transparent pixels";
            EXPECT_GT(opaque, 150) << "frame (" << col << ", " << row << ") is nearly empty";
            EXPECT_GT(clear, 300) << "frame (" << col << ", " << row << ") has no background";
        }
}

// Columns 0 and 2 are the two steps around the standing column 1: the legs differ in each of them.
TEST_F(CommittedHero, WalkFramesMoveTheLegsInEveryDirection) {
    ASSERT_EQ(sheet().getSize(), sf::Vector2u(72, 128));
    for (int row = 0; row < 4; ++row) {
        EXPECT_FALSE(sameFrames(0, row, 1, row, 20, 32)) << "row " << row << ": step 0 shows the standing legs";
        EXPECT_FALSE(sameFrames(2, row, 1, row, 20, 32)) << "row " << row << ": step 2 shows the standing legs";
        EXPECT_FALSE(sameFrames(0, row, 2, row, 20, 32)) << "row " << row << ": both steps are the same";
    }
    // Up, right, down and left are four different drawings.
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            EXPECT_FALSE(sameFrames(1, a, 1, b, 0, 32)) << "rows " << a << " and " << b << " stand alike";
}

} // namespace
