#ifndef ORPA_HERO_HPP
#define ORPA_HERO_HPP

#include <SFML/Graphics.hpp>
#include <string>

/// The player's figure: one frame at a time cut from a sprite sheet of three columns (the walk
/// cycle, column 1 also the standing frame) and four rows (up, right, down, left), shown at a
/// fixed on-screen size.
class Hero {
public:
    /// Makes a hero with nothing loaded.
    Hero();

    virtual ~Hero();

    /// Loads the frame whose top-left corner in the sheet `tileset` is (tile_x, tile_y) and whose
    /// size is tile_width x tile_height (truncated to whole pixels), shown width x height pixels
    /// large. Returns false, leaving the hero unchanged, when the image or that area cannot be loaded.
    bool load(const std::string& tileset, unsigned int tile_x, unsigned int tile_y, float tile_width, float tile_height,
              float width, float height);

    /// Places the hero's top-left corner at (pos_x, pos_y) in world pixels.
    void setPosition(float pos_x, float pos_y);

    /// Moves the hero by (x, y) world pixels.
    void deplace(float x, float y);

    /// Returns the hero's top-left corner in world pixels.
    const sf::Vector2f getPosition() const;

    /// Returns the hero's bounds in world pixels: its position and its on-screen size.
    sf::FloatRect getCaseBox() const;

    /// Draws the hero into `window` with the default render states.
    void dessine(sf::RenderTarget& window) const;

    /// Shows the next walk frame (column 2, 0, 1, 2, ...) facing `direction`, or the standing
    /// frame when `bloque` is true. Returns false when the sheet cannot be read again; the
    /// previous frame then stays on screen, the walk counter already advanced.
    bool anime(std::string direction, bool bloque);

    /// Shows the standing frame facing `direction` without touching the walk counter.
    /// Returns false when the sheet cannot be read again; the previous frame then stays.
    bool arretSprite(std::string direction);

    /// Returns the sheet column last chosen by anime (1, the standing frame, after load).
    int getFrameActuelle() const;

    /// Returns the sprite that is drawn; its texture holds the frame on show.
    const sf::Sprite& getSprite() const;

private:
    /// Returns the sheet row of a direction word: 0 "haut", 1 "droite", 2 "bas", 3 for any other.
    int directionStringToInt(std::string string_direction) const;

    /// Reloads the frame whose top-left corner is (x, y) in the sheet; false when that fails.
    bool chargeFrame(int x, int y);

    /// Gives the sprite the frame texture and the scale that shows it m_width x m_height.
    void miseAJourSprite();

    sf::Sprite m_sprite;   ///< what is drawn; refers to m_texture, which it does not own
    sf::Texture m_texture; ///< the one frame on show, read again from the sheet at every change
    int m_frame_actuelle;  ///< walk counter: the sheet column last chosen by anime (0, 1 or 2)
    std::string m_tileset; ///< path of the sheet, kept for the reloads
    float m_width;         ///< on-screen width in pixels
    float m_height;        ///< on-screen height in pixels
    float m_tile_width;    ///< width of one frame in the sheet, in pixels
    float m_tile_height;   ///< height of one frame in the sheet, in pixels
};

#endif
