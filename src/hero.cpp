#include "Hero.hpp"

namespace {
// Sheet geometry: columns 24 pixels apart, rows 32 apart, whatever the frame size given to load.
const int pas_colonne = 24;
const int pas_ligne = 32;
} // namespace

Hero::Hero() : m_frame_actuelle(1), m_width(0.f), m_height(0.f), m_tile_width(0.f), m_tile_height(0.f) {}

Hero::~Hero() = default;

bool Hero::load(const std::string& tileset, unsigned int tile_x, unsigned int tile_y, float tile_width,
                float tile_height, float width, float height) {
    const sf::IntRect zone(static_cast<int>(tile_x), static_cast<int>(tile_y), static_cast<int>(tile_width),
                           static_cast<int>(tile_height));
    if (!m_texture.loadFromFile(tileset, zone))
        return false;
    m_tileset = tileset;
    m_tile_width = tile_width;
    m_tile_height = tile_height;
    m_width = width;
    m_height = height;
    miseAJourSprite();
    return true;
}

void Hero::setPosition(float pos_x, float pos_y) {
    m_sprite.setPosition(pos_x, pos_y);
}

void Hero::deplace(float x, float y) {
    m_sprite.move(x, y);
}

const sf::Vector2f Hero::getPosition() const {
    return m_sprite.getPosition();
}

sf::FloatRect Hero::getCaseBox() const {
    return m_sprite.getGlobalBounds();
}

void Hero::dessine(sf::RenderTarget& window) const {
    window.draw(m_sprite, sf::RenderStates::Default);
}

bool Hero::anime(std::string direction, bool bloque) {
    if (bloque)
        m_frame_actuelle = 1;
    else if (m_frame_actuelle <= 1)
        ++m_frame_actuelle;
    else
        m_frame_actuelle = 0;
    return chargeFrame(pas_colonne * m_frame_actuelle, pas_ligne * directionStringToInt(direction));
}

bool Hero::arretSprite(std::string direction) {
    return chargeFrame(pas_colonne, pas_ligne * directionStringToInt(direction));
}

int Hero::getFrameActuelle() const {
    return m_frame_actuelle;
}

const sf::Sprite& Hero::getSprite() const {
    return m_sprite;
}

int Hero::directionStringToInt(std::string string_direction) const {
    if (string_direction == "haut")
        return 0;
    if (string_direction == "droite")
        return 1;
    if (string_direction == "bas")
        return 2;
    return 3;
}

bool Hero::chargeFrame(int x, int y) {
    // SFML reads and checks the image before it touches the texture, so a sheet that cannot be read
    // leaves the frame on show as it was.
    if (!m_texture.loadFromFile(m_tileset,
                                sf::IntRect(x, y, static_cast<int>(m_tile_width), static_cast<int>(m_tile_height))))
        return false;
    miseAJourSprite();
    return true;
}

void Hero::miseAJourSprite() {
    m_sprite.setTexture(m_texture, false);
    const float scale_x = m_width / m_tile_width;
    const float scale_y = m_height / m_tile_height;
    m_sprite.setScale(scale_x, scale_y);
}
