// TileMap::dessine draws only the cells the view can show. Whatever it leaves out must not change a
// single pixel: every frame is compared with the one drawn from every sprite of the grid, in the order
// the grid has always been drawn (row by row from the top, each row from left to right).

#include <gtest/gtest.h>

#include <SFML/Graphics.hpp>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TileMap.hpp"
#include "outils_test.hpp"

namespace {

// 8 x 4 tiles, each its own colour with gradients across and down and a light diagonal, so a cell
// that is missing, shifted by a pixel or cut from the wrong tile changes the picture.
void ecritTileset(const std::string& chemin, unsigned int tw, unsigned int th) {
    sf::Image image;
    image.create(8 * tw, 4 * th);
    for (unsigned int n = 0; n < 32; ++n)
        for (unsigned int py = 0; py < th; ++py)
            for (unsigned int px = 0; px < tw; ++px) {
                const bool diagonale = px * th / tw == py;
                const sf::Uint8 r = static_cast<sf::Uint8>(diagonale ? 255 : 20 + 7 * n);
                const sf::Uint8 g = static_cast<sf::Uint8>(40 + px * 200 / tw);
                const sf::Uint8 b = static_cast<sf::Uint8>(40 + py * 200 / th);
                image.setPixel((n % 8) * tw + px, (n / 8) * th + py, sf::Color(r, g, b, 255));
            }
    ASSERT_TRUE(image.saveToFile(chemin));
}

// Neighbouring cells always get different tiles: across the number grows by 5, down by 11 (mod 32).
std::vector<int> numeros(unsigned int largeur, unsigned int hauteur) {
    std::vector<int> tiles;
    for (unsigned int y = 0; y < hauteur; ++y)
        for (unsigned int x = 0; x < largeur; ++x)
            tiles.push_back(static_cast<int>((5 * x + 11 * y) % 32));
    return tiles;
}

// Clears a render texture of `taille` pixels to opaque black, sets `vue`, runs `dessin` and reads back.
sf::Image rend(sf::Vector2u taille, const sf::View& vue, const std::function<void(sf::RenderTarget&)>& dessin) {
    sf::RenderTexture cible;
    if (!cible.create(taille.x, taille.y))
        return sf::Image();
    cible.clear(sf::Color(0, 0, 0, 255));
    cible.setView(vue);
    dessin(cible);
    cible.display();
    return cible.getTexture().copyToImage();
}

// Every sprite of the grid, in the order dessine has always used, with nothing left out.
void dessineTout(const TileMap& map, sf::RenderTarget& cible) {
    const std::vector<std::vector<sf::Sprite>> grille = map.getMmap();
    if (grille.empty())
        return;
    for (std::size_t j = 0; j < grille[0].size(); ++j)
        for (std::size_t i = 0; i < grille.size(); ++i)
            if (j < grille[i].size())
                cible.draw(grille[i][j], sf::RenderStates::Default);
}

std::size_t nombreDePixels(const sf::Image& image) {
    return static_cast<std::size_t>(image.getSize().x) * image.getSize().y;
}

// Empty when both images are the same size and hold the same pixels; otherwise says where they differ.
std::string differences(const sf::Image& attendue, const sf::Image& obtenue) {
    if (attendue.getSize() != obtenue.getSize())
        return "images of different sizes";
    const sf::Uint8* a = attendue.getPixelsPtr();
    const sf::Uint8* b = obtenue.getPixelsPtr();
    std::size_t ecarts = 0, premier = 0;
    for (std::size_t p = 0; p < nombreDePixels(attendue); ++p)
        for (int c = 0; c < 4; ++c)
            if (a[4 * p + c] != b[4 * p + c]) {
                if (ecarts++ == 0)
                    premier = p;
                break;
            }
    if (ecarts == 0)
        return "";
    std::ostringstream texte;
    texte << ecarts << " pixels differ, the first at (" << premier % attendue.getSize().x << ", "
          << premier / attendue.getSize().x << ")";
    return texte.str();
}

bool toutNoir(const sf::Image& image) {
    const sf::Uint8* p = image.getPixelsPtr();
    for (std::size_t i = 0; i < nombreDePixels(image); ++i)
        if (p[4 * i] != 0 || p[4 * i + 1] != 0 || p[4 * i + 2] != 0 || p[4 * i + 3] != 255)
            return false;
    return true;
}

// The window at its start size, and stretched to twice that with the same 720 x 336 world region.
const sf::Vector2u tailles_cible[] = {{720, 336}, {1440, 672}};

class CullingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        outils::gardeContexte();
        dossier = std::make_unique<outils::DossierTemp>();
        ecritTileset(tileset(48, 48), 48, 48);
        ecritTileset(tileset(32, 24), 32, 24);
    }

    static void TearDownTestSuite() { dossier.reset(); }

    static std::string tileset(unsigned int tw, unsigned int th) {
        return (dossier->chemin() / ("tuiles_" + std::to_string(tw) + "x" + std::to_string(th) + ".png")).string();
    }

    // A fresh grid of largeur x hauteur cells cut from the tileset of tw x th tiles.
    static std::unique_ptr<TileMap> grille(unsigned int tw, unsigned int th, unsigned int largeur,
                                           unsigned int hauteur) {
        auto map = std::make_unique<TileMap>();
        const std::vector<int> tiles = numeros(largeur, hauteur);
        if (!map->load(tileset(tw, th), sf::Vector2u(tw, th), tiles.data(), largeur, hauteur))
            return nullptr;
        return map;
    }

    // dessine must give the picture of every sprite drawn, at both window sizes.
    static void compare(const TileMap& map, const sf::View& vue, bool montre_le_niveau) {
        for (const sf::Vector2u& taille : tailles_cible) {
            SCOPED_TRACE(std::to_string(taille.x) + " x " + std::to_string(taille.y));
            const sf::Image attendue = rend(taille, vue, [&](sf::RenderTarget& c) { dessineTout(map, c); });
            const sf::Image obtenue = rend(taille, vue, [&](sf::RenderTarget& c) { map.dessine(c); });
            ASSERT_EQ(attendue.getSize(), taille) << "the render texture could not be made";
            // A picture without a tile would let two broken ways of drawing agree.
            EXPECT_EQ(toutNoir(attendue), !montre_le_niveau);
            EXPECT_EQ(differences(attendue, obtenue), "");
        }
    }

    static inline std::unique_ptr<outils::DossierTemp> dossier;
};

struct Cas {
    const char* nom;
    unsigned int tw, th;           // tile size
    unsigned int largeur, hauteur; // level size in cells
    sf::Vector2f coin;             // the view's top-left corner in world pixels
    bool montre_le_niveau;         // whether any tile lies in the view
    float rotation = 0.f;
    sf::Vector2f taille = {720.f, 336.f};
};

// Level of 30 x 20 cells of 48 pixels: 1440 x 960 world pixels.
const Cas cas_niveau[] = {
    {"start", 48, 48, 30, 20, {0.f, 0.f}, true},
    {"whole pixels inside", 48, 48, 30, 20, {301.f, 157.f}, true},
    {"quarter tiles", 48, 48, 30, 20, {372.f, 204.f}, true},
    {"edges on cell boundaries", 48, 48, 30, 20, {48.f, 48.f}, true},
    {"half pixel", 48, 48, 30, 20, {100.5f, 60.5f}, true},
    {"half pixel at the origin", 48, 48, 30, 20, {0.5f, 0.5f}, true},
    {"just short of a boundary", 48, 48, 30, 20, {47.75f, 95.9f}, true},
    {"on the far edges", 48, 48, 30, 20, {720.f, 624.f}, true},
    {"half pixel at the far edges", 48, 48, 30, 20, {719.5f, 623.5f}, true},
    {"partly before the level", 48, 48, 30, 20, {-100.5f, -37.25f}, true},
    {"just before the level", 48, 48, 30, 20, {-0.5f, -0.5f}, true},
    {"partly beyond the level", 48, 48, 30, 20, {1000.f, 800.f}, true},
    {"left of the level, low down", 48, 48, 30, 20, {-24.f, 700.f}, true},
    {"touching the level's right edge", 48, 48, 30, 20, {1440.f, 0.f}, false},
    {"touching the level's top edge", 48, 48, 30, 20, {0.f, -336.f}, false},
    {"wholly outside", 48, 48, 30, 20, {-2000.f, 5000.f}, false},
    // The game never turns or flips its view; dessine still keeps every visible cell.
    {"turned by 30 degrees", 48, 48, 30, 20, {300.f, 200.f}, true, 30.f},
    {"turned by 90 degrees", 48, 48, 30, 20, {360.f, 300.f}, true, 90.f},
    {"flipped across", 48, 48, 30, 20, {130.5f, 20.f}, true, 0.f, {-720.f, 336.f}},
    {"zoomed out", 48, 48, 30, 20, {-10.5f, 3.25f}, true, 0.f, {2880.f, 1344.f}},
    // Level of 5 x 3 cells, smaller than the view.
    {"small level at the start", 48, 48, 5, 3, {0.f, 0.f}, true},
    {"small level in the middle", 48, 48, 5, 3, {-240.5f, -96.25f}, true},
    {"small level, half pixel", 48, 48, 5, 3, {-0.5f, 0.5f}, true},
    {"small level, cut by the view", 48, 48, 5, 3, {100.f, 50.f}, true},
    // Level of 40 x 30 cells of 32 x 24 pixels: 1280 x 720, tiles wider than high.
    {"flat tiles at the start", 32, 24, 40, 30, {0.f, 0.f}, true},
    {"flat tiles in the middle", 32, 24, 40, 30, {17.5f, 11.75f}, true},
    {"flat tiles, half a tile outside", 32, 24, 40, 30, {-16.f, -12.f}, true},
    {"flat tiles on the far edges", 32, 24, 40, 30, {560.f, 384.f}, true},
    {"flat tiles past the far edges", 32, 24, 40, 30, {560.5f, 383.5f}, true},
};

TEST_F(CullingTest, DessineGivesThePictureOfEveryCell) {
    for (const Cas& c : cas_niveau) {
        SCOPED_TRACE(c.nom);
        const std::unique_ptr<TileMap> map = grille(c.tw, c.th, c.largeur, c.hauteur);
        ASSERT_NE(map, nullptr);
        const sf::Vector2f demi(std::abs(c.taille.x) / 2.f, std::abs(c.taille.y) / 2.f);
        sf::View vue(c.coin + demi, c.taille);
        vue.setRotation(c.rotation);
        compare(*map, vue, c.montre_le_niveau);
    }
}

// A second load with fewer rows keeps the longer old columns, whose lower rows stay where the first
// load put them, 48 pixels apart, while the new rows are 32 pixels apart: a view over those old rows
// must still show them all.
TEST_F(CullingTest, ReloadedGridStillShowsTheRowsLeftFromTheFirstLoad) {
    TileMap map;
    const std::vector<int> premiers = numeros(30, 20);
    ASSERT_TRUE(map.load(tileset(48, 48), sf::Vector2u(48, 48), premiers.data(), 30, 20));
    const std::vector<int> seconds = numeros(10, 5);
    ASSERT_TRUE(map.load(tileset(48, 48), sf::Vector2u(32, 32), seconds.data(), 10, 5));

    for (const sf::Vector2f coin : {sf::Vector2f(0.f, 0.f), sf::Vector2f(0.5f, 300.f), sf::Vector2f(-40.f, 600.5f)}) {
        SCOPED_TRACE(std::to_string(coin.x) + ", " + std::to_string(coin.y));
        compare(map, sf::View(coin + sf::Vector2f(360.f, 168.f), sf::Vector2f(720.f, 336.f)), true);
    }
}

// A grid without columns or without rows draws nothing, wherever the view is.
TEST_F(CullingTest, EmptyGridDrawsNothing) {
    TileMap jamais_charge;
    TileMap sans_lignes;
    TileMap sans_colonnes;
    ASSERT_TRUE(sans_lignes.load(tileset(48, 48), sf::Vector2u(48, 48), nullptr, 4, 0));
    ASSERT_TRUE(sans_colonnes.load(tileset(48, 48), sf::Vector2u(48, 48), nullptr, 0, 3));
    const sf::View vue(sf::Vector2f(360.f, 168.f), sf::Vector2f(720.f, 336.f));
    for (const TileMap* map : {&jamais_charge, &sans_lignes, &sans_colonnes}) {
        const sf::Image image = rend(tailles_cible[0], vue, [&](sf::RenderTarget& c) { map->dessine(c); });
        ASSERT_EQ(image.getSize(), tailles_cible[0]);
        EXPECT_TRUE(toutNoir(image));
    }
}

} // namespace
