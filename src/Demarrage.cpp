#include "Demarrage.hpp"

bool chargeGrille(TileMap& map, const ArrayMap& carte, const std::vector<int>& level) {
    const sf::Vector2u tileSize(static_cast<unsigned int>(carte.m_largeur_tile),
                                static_cast<unsigned int>(carte.m_hauteur_tile));
    return map.load(carte.m_chemin_tileset, tileSize, level.data(),
                    static_cast<unsigned int>(carte.m_largeur_map_en_tiles),
                    static_cast<unsigned int>(carte.m_hauteur_map_en_tiles));
}

bool chargeHeros(Hero& perso, const std::string& feuille) {
    // Column 1, row 2 of the sheet: standing, facing down; 24 x 32 pixels shown 48 x 48.
    if (!perso.load(feuille, 24, 64, 24.f, 32.f, demarrage::cote_heros, demarrage::cote_heros))
        return false;
    perso.setPosition(demarrage::depart_heros, demarrage::depart_heros);
    return true;
}
