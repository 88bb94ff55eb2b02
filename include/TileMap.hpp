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

    /// Draws the cell sprites into `window` through the view it holds, row by row from the top, each
    /// row from left to right, one draw per cell with the default render states. Only the cells whose
    /// rectangle overlaps the view's world rectangle (not merely touches it) are drawn, found as a range
    /// of columns and rows, so a frame costs the same on a level of any size, and the picture is the
    /// one that drawing every cell would give. A grid whose cells do not all follow the last load's
    /// layout (a reload that kept longer columns of an earlier grid) is drawn whole. Draws nothing on
    /// a grid without columns or rows.
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
    sf::Texture m_tileset;                      ///< the tileset image that every cell sprite refers to
    sf::Vector2u m_taille_tile;                 ///< tile size in pixels given to the last successful load
    /// True when the last load laid out every cell of the grid, at positions a float holds exactly, so
    /// that cell (x, y) spans x * tile width to (x + 1) * tile width, and likewise down. Only then may
    /// dessine pick the visible cells by arithmetic; otherwise it draws them all.
    bool m_grille_reguliere = false;
};

#endif
