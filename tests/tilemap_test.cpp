#include "TileMap.hpp"

#include <gtest/gtest.h>

#include <SFML/Graphics.hpp>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "outils_test.hpp"

namespace fs = std::filesystem;

// Cells never overlap, so the order in which the grid draws them leaves no trace in the pixels.
// The test executable is linked with --wrap on sf::RenderTarget::draw(const Drawable&, const
// RenderStates&): every such call made by the game's code lands in the wrapper below, which notes
// what was drawn and then draws it for real.
namespace {
struct Trace {
    sf::Vector2f position;
    sf::IntRect rectangle;
    const sf::Texture* texture;
    bool etats_par_defaut;
};
std::vector<Trace> g_traces;
} // namespace

extern "C" void __real__ZN2sf12RenderTarget4drawERKNS_8DrawableERKNS_12RenderStatesE(sf::RenderTarget* cible,
                                                                                     const sf::Drawable& objet,
                                                                                     const sf::RenderStates& etats);

extern "C" void __wrap__ZN2sf12RenderTarget4drawERKNS_8DrawableERKNS_12RenderStatesE(sf::RenderTarget* cible,
                                                                                     const sf::Drawable& objet,
                                                                                     const sf::RenderStates& etats) {
    Trace trace{{-1.f, -1.f}, {}, nullptr, false};
    if (const sf::Sprite* sprite = dynamic_cast<const sf::Sprite*>(&objet)) {
        trace.position = sprite->getPosition();
        trace.rectangle = sprite->getTextureRect();
        trace.texture = sprite->getTexture();
    }
    const sf::RenderStates& d = sf::RenderStates::Default;
    trace.etats_par_defaut = etats.blendMode == d.blendMode && etats.texture == nullptr && etats.shader == nullptr &&
                             etats.transform == sf::Transform::Identity;
    g_traces.push_back(trace);
    __real__ZN2sf12RenderTarget4drawERKNS_8DrawableERKNS_12RenderStatesE(cible, objet, etats);
}

namespace {

// Tile n of the test tilesets is a 32 x 32 square of its own solid colour.
sf::Color couleurTuile(unsigned int n) {
    return sf::Color(static_cast<sf::Uint8>(8 + 15 * n), static_cast<sf::Uint8>(250 - 13 * n),
                     static_cast<sf::Uint8>(40 + 50 * (n % 4)));
}

class TileMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        outils::gardeContexte();
        g_traces.clear();
    }

    // Writes a PNG tileset of `largeur` x `hauteur` pixels, cut into 32-pixel tiles numbered row by row.
    std::string tileset(unsigned int largeur, unsigned int hauteur) {
        sf::Image image;
        image.create(largeur, hauteur);
        const unsigned int colonnes = largeur / 32 > 0 ? largeur / 32 : 1;
        for (unsigned int y = 0; y < hauteur; ++y)
            for (unsigned int x = 0; x < largeur; ++x)
                image.setPixel(x, y, couleurTuile(x / 32 + (y / 32) * colonnes));
        const std::string chemin =
            (m_dossier.chemin() / ("tuiles_" + std::to_string(largeur) + "x" + std::to_string(hauteur) + ".png"))
                .string();
        EXPECT_TRUE(image.saveToFile(chemin));
        return chemin;
    }

    outils::DossierTemp m_dossier;
};

// A grid without cells: it collides with nothing, whatever the rectangle, and draws nothing.
void verifieSansCellule(const TileMap& map) {
    EXPECT_FALSE(map.collision(sf::FloatRect(-1e6f, -1e6f, 2e6f, 2e6f), 0, 0));
    sf::RenderTexture cible;
    ASSERT_TRUE(cible.create(8, 8));
    g_traces.clear();
    map.dessine(cible);
    EXPECT_TRUE(g_traces.empty());
}

// A grid as it is before any load, and after every failed first load.
void verifieVide(const TileMap& map) {
    EXPECT_TRUE(map.getMmap().empty());
    EXPECT_EQ(map.getTailleTileset(), sf::Vector2u(0, 0));
    verifieSansCellule(map);
}

TEST_F(TileMapTest, TileNumberPicksItsTextureRectangle) {
    const struct {
        unsigned int largeur_image;
        int numero;
        sf::IntRect attendu;
    } cas[] = {
        {256, 0, {0, 0, 32, 32}},
        {256, 7, {224, 0, 32, 32}},
        {256, 8, {0, 32, 32, 32}},
        {256, 9, {32, 32, 32, 32}},
        {256, 15, {224, 32, 32, 32}},
        {256, 16, {0, 64, 32, 32}}, // below the last row of a 256 x 64 image: accepted all the same
        {250, 6, {192, 0, 32, 32}}, // 250 pixels hold 7 whole tiles; the partial eighth is never used
        {250, 9, {64, 32, 32, 32}},
        // Negative numbers count as n + 2^32 and the 32-bit products wrap.
        {256, -1, {224, -32, 32, 32}},
        {250, -1, {96, -1840700288, 32, 32}},
        {256, INT_MIN, {0, 0, 32, 32}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE("image width " + std::to_string(c.largeur_image) + ", tile " + std::to_string(c.numero));
        TileMap map;
        ASSERT_TRUE(map.load(tileset(c.largeur_image, 64), sf::Vector2u(32, 32), &c.numero, 1, 1));
        EXPECT_EQ(map.getTailleTileset(), sf::Vector2u(c.largeur_image, 64));
        const std::vector<std::vector<sf::Sprite>> grille = map.getMmap();
        ASSERT_EQ(grille.size(), 1u);
        ASSERT_EQ(grille[0].size(), 1u);
        EXPECT_EQ(grille[0][0].getTextureRect(), c.attendu);
        ASSERT_NE(grille[0][0].getTexture(), nullptr);
        EXPECT_EQ(grille[0][0].getTexture()->getSize(), map.getTailleTileset());
    }
}

TEST_F(TileMapTest, CellsAreLaidEdgeToEdgeInRowMajorOrder) {
    // Tiles 16 x 8 on a 256-pixel-wide image: 16 tiles a row. Unequal sides catch a swapped width and height.
    const int tuiles[] = {0, 1, 2, 17, 18, 19};
    TileMap map;
    ASSERT_TRUE(map.load(tileset(256, 64), sf::Vector2u(16, 8), tuiles, 3, 2));
    const std::vector<std::vector<sf::Sprite>> grille = map.getMmap();
    ASSERT_EQ(grille.size(), 3u);
    const sf::IntRect rectangles[2][3] = {{{0, 0, 16, 8}, {16, 0, 16, 8}, {32, 0, 16, 8}},
                                          {{16, 8, 16, 8}, {32, 8, 16, 8}, {48, 8, 16, 8}}};
    for (unsigned int x = 0; x < 3; ++x) {
        ASSERT_EQ(grille[x].size(), 2u);
        for (unsigned int y = 0; y < 2; ++y) {
            SCOPED_TRACE("cell (" + std::to_string(x) + ", " + std::to_string(y) + ")");
            const sf::Sprite& sprite = grille[x][y];
            EXPECT_EQ(sprite.getPosition(), sf::Vector2f(16.f * x, 8.f * y));
            EXPECT_EQ(sprite.getGlobalBounds(), sf::FloatRect(16.f * x, 8.f * y, 16.f, 8.f));
            EXPECT_EQ(sprite.getTextureRect(), rectangles[y][x]);
        }
    }
}

TEST_F(TileMapTest, CollisionNeedsAnOverlapOfPositiveArea) {
    const std::vector<int> tuiles(9, 0);
    TileMap map;
    ASSERT_TRUE(map.load(tileset(256, 64), sf::Vector2u(32, 32), tuiles.data(), 3, 3));
    ASSERT_EQ(map.getMmap()[2][1].getGlobalBounds(), sf::FloatRect(64.f, 32.f, 32.f, 32.f));

    // Cell (2, 1) spans x 64..96 and y 32..64.
    const struct {
        sf::FloatRect objet;
        bool attendu;
    } cas[] = {
        {{64.f, 32.f, 32.f, 32.f}, true},    // the cell itself
        {{70.f, 40.f, 4.f, 4.f}, true},      // inside
        {{0.f, 0.f, 200.f, 200.f}, true},    // around
        {{96.f, 32.f, 32.f, 32.f}, false},   // touches the right edge
        {{95.5f, 32.f, 32.f, 32.f}, true},   // half a pixel over it
        {{32.f, 32.f, 32.f, 32.f}, false},   // touches the left edge
        {{32.5f, 32.f, 32.f, 32.f}, true},   //
        {{64.f, 64.f, 32.f, 32.f}, false},   // touches the bottom edge
        {{64.f, 63.5f, 32.f, 32.f}, true},   //
        {{64.f, 0.f, 32.f, 32.f}, false},    // touches the top edge
        {{64.f, 0.5f, 32.f, 32.f}, true},    //
        {{96.f, 64.f, 10.f, 10.f}, false},   // shares the bottom-right corner only
        {{95.f, 63.f, 10.f, 10.f}, true},    // one pixel over that corner
        {{54.f, 22.f, 10.f, 10.f}, false},   // shares the top-left corner only
        {{70.f, 40.f, 0.f, 10.f}, false},    // zero width
        {{70.f, 40.f, 10.f, 0.f}, false},    // zero height
        {{200.f, 200.f, 10.f, 10.f}, false}, // far away
    };
    for (const auto& c : cas) {
        SCOPED_TRACE("objet (" + std::to_string(c.objet.left) + ", " + std::to_string(c.objet.top) + ", " +
                     std::to_string(c.objet.width) + ", " + std::to_string(c.objet.height) + ")");
        EXPECT_EQ(map.collision(c.objet, 2, 1), c.attendu);
    }
    // Column first: the same rectangle misses cell (1, 2).
    EXPECT_FALSE(map.collision(sf::FloatRect(70.f, 40.f, 4.f, 4.f), 1, 2));
}

TEST_F(TileMapTest, CollisionOutsideTheGridIsFalse) {
    const sf::FloatRect partout(-1e6f, -1e6f, 2e6f, 2e6f);
    TileMap map;
    EXPECT_FALSE(map.collision(partout, 0, 0));
    const std::vector<int> tuiles(6, 0);
    ASSERT_TRUE(map.load(tileset(256, 64), sf::Vector2u(32, 32), tuiles.data(), 3, 2));
    EXPECT_TRUE(map.collision(partout, 2, 1));
    EXPECT_FALSE(map.collision(partout, 3, 0));
    EXPECT_FALSE(map.collision(partout, 0, 2));
    EXPECT_FALSE(map.collision(partout, UINT_MAX, UINT_MAX));
}

TEST_F(TileMapTest, DrawsEveryCellRowByRowWithItsTile) {
    const int tuiles[] = {3, 12, 9, 0};
    TileMap map;
    ASSERT_TRUE(map.load(tileset(256, 64), sf::Vector2u(32, 32), tuiles, 2, 2));
    sf::RenderTexture cible;
    ASSERT_TRUE(cible.create(64, 64));
    cible.clear(sf::Color::Black);
    g_traces.clear();
    map.dessine(cible);
    cible.display();

    const sf::Vector2f ordre[] = {{0.f, 0.f}, {32.f, 0.f}, {0.f, 32.f}, {32.f, 32.f}};
    ASSERT_EQ(g_traces.size(), 4u);
    const sf::Texture* texture = map.getMmap()[0][0].getTexture();
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE("draw " + std::to_string(k));
        EXPECT_EQ(g_traces[k].position, ordre[k]);
        EXPECT_EQ(g_traces[k].rectangle, sf::IntRect(32 * (tuiles[k] % 8), 32 * (tuiles[k] / 8), 32, 32));
        EXPECT_EQ(g_traces[k].texture, texture);
        EXPECT_TRUE(g_traces[k].etats_par_defaut);
    }

    // And every pixel of a cell shows its tile.
    const sf::Image image = cible.getTexture().copyToImage();
    for (unsigned int y = 0; y < 64; ++y)
        for (unsigned int x = 0; x < 64; ++x)
            ASSERT_EQ(image.getPixel(x, y), couleurTuile(static_cast<unsigned int>(tuiles[x / 32 + 2 * (y / 32)])))
                << "pixel (" << x << ", " << y << ")";

    // The grid is drawn through the target's own view: here one showing cell (1, 1) alone.
    sf::RenderTexture petite;
    ASSERT_TRUE(petite.create(32, 32));
    petite.setView(sf::View(sf::FloatRect(32.f, 32.f, 32.f, 32.f)));
    petite.clear(sf::Color::Black);
    map.dessine(petite);
    petite.display();
    const sf::Image vue = petite.getTexture().copyToImage();
    EXPECT_EQ(vue.getPixel(0, 0), couleurTuile(0));
    EXPECT_EQ(vue.getPixel(31, 31), couleurTuile(0));
}

TEST_F(TileMapTest, FailedLoadLeavesTheGridEmpty) {
    std::ofstream(m_dossier.chemin() / "pas_une_image.png") << "not a picture";
    const int tuile = 0;
    for (const std::string& chemin : {(m_dossier.chemin() / "absent.png").string(), std::string(),
                                      (m_dossier.chemin() / "pas_une_image.png").string()}) {
        SCOPED_TRACE("path \"" + chemin + "\"");
        TileMap map;
        EXPECT_FALSE(map.load(chemin, sf::Vector2u(32, 32), &tuile, 1, 1));
        verifieVide(map);
    }
}

TEST_F(TileMapTest, FailedReloadKeepsTheLoadedGrid) {
    const struct {
        const char* nom;
        std::string chemin;
        sf::Vector2u taille_tuile;
    } cas[] = {
        {"missing image", (m_dossier.chemin() / "absent.png").string(), {16, 16}},
        {"zero tile width", tileset(128, 32), {0, 16}},
    };
    const int tuiles[] = {1, 2};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        TileMap map;
        ASSERT_TRUE(map.load(tileset(256, 64), sf::Vector2u(32, 32), tuiles, 2, 1));
        EXPECT_FALSE(map.load(c.chemin, c.taille_tuile, tuiles, 1, 2));
        EXPECT_EQ(map.getTailleTileset(), sf::Vector2u(256, 64));
        const std::vector<std::vector<sf::Sprite>> grille = map.getMmap();
        ASSERT_EQ(grille.size(), 2u);
        ASSERT_EQ(grille[1].size(), 1u);
        EXPECT_EQ(grille[1][0].getTextureRect(), sf::IntRect(64, 0, 32, 32));
        EXPECT_EQ(grille[1][0].getPosition(), sf::Vector2f(32.f, 0.f));
    }
}

TEST_F(TileMapTest, ZeroTileSizeOrTooNarrowImageIsRefused) {
    const struct {
        sf::Vector2u taille_tuile;
        unsigned int largeur_image;
    } cas[] = {
        // Zero sides, then an image narrower than one tile, so that no tile fits a row.
        {{0, 32}, 256},
        {{32, 0}, 256},
        {{0, 0}, 256},
        {{32, 32}, 31},
    };
    const int tuiles[] = {0, 0, 0, 0};
    for (const auto& c : cas) {
        SCOPED_TRACE("tile " + std::to_string(c.taille_tuile.x) + " x " + std::to_string(c.taille_tuile.y) +
                     ", image width " + std::to_string(c.largeur_image));
        TileMap map;
        EXPECT_FALSE(map.load(tileset(c.largeur_image, 64), c.taille_tuile, tuiles, 2, 2));
        verifieVide(map);
    }
}

TEST_F(TileMapTest, GridWithoutRowsOrColumnsLoadsAndDrawsNothing) {
    const struct { unsigned int largeur, hauteur; } cas[] = {{3, 0}, {1, 0}, {0, 2}, {0, 0}};
    for (const auto& c : cas) {
        SCOPED_TRACE(std::to_string(c.largeur) + " x " + std::to_string(c.hauteur));
        TileMap map;
        // No tile number is read for an empty grid, so none need be given.
        ASSERT_TRUE(map.load(tileset(256, 64), sf::Vector2u(32, 32), nullptr, c.largeur, c.hauteur));
        const std::vector<std::vector<sf::Sprite>> grille = map.getMmap();
        ASSERT_EQ(grille.size(), c.largeur);
        for (const std::vector<sf::Sprite>& colonne : grille)
            EXPECT_TRUE(colonne.empty());
        verifieSansCellule(map);
    }
}

TEST_F(TileMapTest, FreshGridDrawsNothing) {
    TileMap map;
    verifieVide(map);
}

} // namespace
