#ifndef ORPA_TILEMAP_HPP
#define ORPA_TILEMAP_HPP

#include <SFML/Graphics.hpp>
#include <string>
#include <vector>

/// The tile grid: one sprite per cell of the level, cut from one tileset image and laid
/// edge to edge in world pixels, cell (0, 0) at the origin.
class TileMap {
public:
    /// Makes an empty grid with an empty texture.
    TileMap();

    /// Loads the tileset image and builds a width x height grid of sprites, the tile number of
    /// cell (x, y) being tiles[x + y * width]. Returns false, with the grid untouched, when the
    /// image cannot be loaded, when a tile size is 0 or when the image is narrower than one tile.
    bool load(const std::string& tileset, sf::Vector2u tileSize, const int* tiles, unsigned int width,
              unsigned int height);

    /// Draws every cell sprite into `window` through the view it holds, row by row from the top.
    /// Draws nothing on a grid without columns.
    void dessine(sf::RenderTarget& window) const;

    /// Returns a copy of the grid, column by column; the copies refer to this grid's texture.
    std::vector<std::vector<sf::Sprite>> getMmap() const;

    /// Returns true when `objet` overlaps the sprite of cell (x, y) with positive area.
    /// A cell outside the grid overlaps nothing.
    bool collision(sf::FloatRect objet, unsigned int x, unsigned int y) const;

    /// Returns the tileset image's size in pixels (0 x 0 before a successful load).
    sf::Vector2u getTailleTileset() const;

private:
    // A TileMap is never copied: every sprite points at the m_tileset of the grid that built it.
    TileMap(const TileMap&) = delete;
    TileMap& operator=(const TileMap&) = delete;

    std::vector<std::vector<sf::Sprite>> m_map; ///< m_map[x][y] is the sprite of cell (x, y)
    sf::Texture m_tileset;                       ///< the tileset image that every cell sprite refers to
};

#endif
