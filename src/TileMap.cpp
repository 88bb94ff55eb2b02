#include "TileMap.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Beyond 2^24 pixels a float no longer holds every whole number, so cell positions would be rounded.
const std::uint64_t limite_exacte = std::uint64_t(1) << 24;

// The cells [premiere, fin) of a line of `nombre` cells of `taille` pixels that overlap the world span
// [debut, bout] with positive length. Cell k spans k * taille to (k + 1) * taille; it is kept when
// (k + 1) * taille > debut and k * taille < bout. A cell that only touches the view's edge is left out:
// its pixels all lie outside the view, and on a view aligned with the grid that saves a whole ring
// of draws (17 x 9 cells become 15 x 7).
struct Plage {
    std::uint32_t premiere;
    std::uint32_t fin;
};

Plage plageVisible(double debut, double bout, std::uint32_t taille, std::uint32_t nombre) {
    const double premiere = std::max(std::floor(debut / taille), 0.0);
    const double derniere = std::min(std::ceil(bout / taille) - 1.0, static_cast<double>(nombre) - 1.0);
    // Also empty for a view lying wholly before or after the grid, or one of no number.
    if (!(premiere <= derniere))
        return Plage{0, 0};
    return Plage{static_cast<std::uint32_t>(premiere), static_cast<std::uint32_t>(derniere) + 1};
}

} // namespace

TileMap::TileMap() = default;

bool TileMap::load(const std::string& tileset, sf::Vector2u tileSize, const int* tiles, unsigned int width,
                   unsigned int height) {
    // Read into a spare texture: a refused load must leave the grid and the texture it shows untouched.
    sf::Texture image;
    if (!image.loadFromFile(tileset, sf::IntRect(0, 0, 0, 0)))
        return false;

    const std::uint32_t tw = tileSize.x;
    const std::uint32_t th = tileSize.y;
    const std::uint32_t C = (tw == 0) ? 0 : image.getSize().x / tw;
    // A tile size of 0 or an image narrower than one tile would divide by zero below, or pile
    // every cell of a column onto one line.
    if (width > 0 && height > 0 && (tw == 0 || th == 0 || C == 0))
        return false;
    m_tileset.swap(image);

    m_map.resize(width, std::vector<sf::Sprite>(height));
    // On a second load a kept column may be shorter than the new height.
    for (std::vector<sf::Sprite>& colonne : m_map)
        if (colonne.size() < height)
            colonne.resize(height);

    for (std::uint32_t j = 0; j < height; ++j) {
        for (std::uint32_t i = 0; i < width; ++i) {
            const std::int32_t tileNumber = tiles[i + j * width];
            // Unsigned arithmetic throughout: a negative number counts as n + 2^32 and the
            // rectangle's products wrap, exactly as the level files have always been read.
            const std::uint32_t numero = static_cast<std::uint32_t>(tileNumber);
            const std::int32_t tu = static_cast<std::int32_t>(numero % C);
            const std::int32_t tv = static_cast<std::int32_t>(numero / C);
            const float tx = static_cast<float>(i * tw);
            const float ty = static_cast<float>(j * th);

            sf::Sprite& sprite = m_map[i][j];
            sprite.setTextureRect(sf::IntRect(static_cast<std::int32_t>(static_cast<std::uint32_t>(tu) * tw),
                                              static_cast<std::int32_t>(static_cast<std::uint32_t>(tv) * th),
                                              static_cast<std::int32_t>(tw), static_cast<std::int32_t>(th)));
            sprite.setTexture(m_tileset, false);
            sprite.setPosition(tx, ty);
        }
    }

    m_taille_tile = tileSize;
    // A second load can leave longer columns whose lower rows keep the old layout.
    bool colonnes_pleines = true;
    for (const std::vector<sf::Sprite>& colonne : m_map)
        colonnes_pleines = colonnes_pleines && colonne.size() == height;
    m_grille_reguliere = colonnes_pleines && tw > 0 && th > 0 && std::uint64_t(width) * tw <= limite_exacte &&
                         std::uint64_t(height) * th <= limite_exacte;
    return true;
}

void TileMap::dessine(sf::RenderTarget& window) const {
    if (m_map.empty() || m_map[0].empty())
        return;
    const std::uint32_t lignes = static_cast<std::uint32_t>(m_map[0].size());
    const std::uint32_t colonnes = static_cast<std::uint32_t>(m_map.size());

    if (!m_grille_reguliere) {
        for (std::uint32_t j = 0; j < lignes; ++j)
            for (std::uint32_t i = 0; i < colonnes; ++i)
                if (j < m_map[i].size()) // columns differ in length only after a reload with another height
                    window.draw(m_map[i][j], sf::RenderStates::Default);
        return;
    }

    // The world rectangle the view shows: its size about its centre. The game never turns the view,
    // but taking the box around the turned rectangle keeps a turned (or flipped) one right as well.
    const sf::View& vue = window.getView();
    const double angle = static_cast<double>(vue.getRotation()) * 3.14159265358979323846 / 180.0;
    const double cosinus = std::abs(std::cos(angle));
    const double sinus = std::abs(std::sin(angle));
    const double largeur = std::abs(static_cast<double>(vue.getSize().x));
    const double hauteur = std::abs(static_cast<double>(vue.getSize().y));
    const double demi_largeur = (largeur * cosinus + hauteur * sinus) / 2.0;
    const double demi_hauteur = (largeur * sinus + hauteur * cosinus) / 2.0;
    const double centre_x = vue.getCenter().x;
    const double centre_y = vue.getCenter().y;

    const Plage x = plageVisible(centre_x - demi_largeur, centre_x + demi_largeur, m_taille_tile.x, colonnes);
    const Plage y = plageVisible(centre_y - demi_hauteur, centre_y + demi_hauteur, m_taille_tile.y, lignes);
    for (std::uint32_t j = y.premiere; j < y.fin; ++j)
        for (std::uint32_t i = x.premiere; i < x.fin; ++i)
            window.draw(m_map[i][j], sf::RenderStates::Default);
}

std::vector<std::vector<sf::Sprite>> TileMap::getMmap() const {
    return m_map;
}

bool TileMap::collision(sf::FloatRect objet, unsigned int x, unsigned int y) const {
    if (x >= m_map.size() || y >= m_map[x].size())
        return false;
    const sf::FloatRect boite_case = m_map[x][y].getGlobalBounds();
    return boite_case.intersects(objet);
}

sf::Vector2u TileMap::getTailleTileset() const {
    return m_tileset.getSize();
}
