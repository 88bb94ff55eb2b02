#include "TileMap.hpp"

#include <cstdint>

TileMap::TileMap() = default;

bool TileMap::load(const std::string& tileset, sf::Vector2u tileSize, const int* tiles, unsigned int width,
                   unsigned int height) {
    if (!m_tileset.loadFromFile(tileset, sf::IntRect(0, 0, 0, 0)))
        return false;

    const std::uint32_t tw = tileSize.x;
    const std::uint32_t th = tileSize.y;
    const std::uint32_t C = (tw == 0) ? 0 : m_tileset.getSize().x / tw;
    // A tile size of 0 or an image narrower than one tile would divide by zero below.
    if (width > 0 && height > 0 && (tw == 0 || C == 0))
        return false;

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
    return true;
}

void TileMap::dessine(sf::RenderTarget& window) const {
    if (m_map.empty())
        return;
    const std::uint32_t lignes = static_cast<std::uint32_t>(m_map[0].size());
    const std::uint32_t colonnes = static_cast<std::uint32_t>(m_map.size());
    for (std::uint32_t j = 0; j < lignes; ++j)
        for (std::uint32_t i = 0; i < colonnes; ++i)
            if (j < m_map[i].size()) // columns differ in length only after a reload with another height
                window.draw(m_map[i][j], sf::RenderStates::Default);
}

std::vector<std::vector<sf::Sprite>> TileMap::getMmap() const { return m_map; }

bool TileMap::collision(sf::FloatRect objet, unsigned int x, unsigned int y) const {
    if (x >= m_map.size() || y >= m_map[x].size())
        return false;
    const sf::FloatRect boite_case = m_map[x][y].getGlobalBounds();
    return boite_case.intersects(objet);
}

sf::Vector2u TileMap::getTailleTileset() const { return m_tileset.getSize(); }
