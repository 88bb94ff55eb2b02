#ifndef ORPA_RAPPORTNIVEAU_HPP
#define ORPA_RAPPORTNIVEAU_HPP

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/System/Vector2.hpp>
#include <string>
#include <vector>

#include "ArrayMap.hpp"
#include "TileMap.hpp"
#include "ValideNiveau.hpp"

/// What the level tool tells an author about a level, on top of the game's own checks: the quirks
/// that the game plays through without a word, and a picture of the whole level.

/// A block of cells, corners included; empty when `x1 < x0` or `y1 < y0`.
struct PlageCases {
    int x0, y0, x1, y1;
    bool vide() const { return x1 < x0 || y1 < y0; }
};

/// The cells that the hero's box covers (with positive area) where the game places him, clipped to
/// the grid. Empty for a header whose tile size or level size is unusable.
PlageCases casesDepartHeros(const ArrayMap& carte);

/// The warnings the game's checks do not give: header fields after the fifth, presence rows ending
/// with "|", tile numbers outside the tileset (needs the image's size; 0 x 0 skips them) and the hero
/// starting on a blocked cell. Checks only what the header lets it read safely.
std::vector<ProblemeNiveau> avertissementsAuteur(const ArrayMap& carte, sf::Vector2u taille_image);

/// Every problem of the level: the game's checks of the file and of its tileset, then the warnings
/// above, in line order.
std::vector<ProblemeNiveau> rapportNiveau(const ArrayMap& carte, sf::Vector2u taille_image);

/// The one line that describes a level the game accepts: sizes, tileset, blocked cells and the start.
std::string resumeNiveau(const std::string& fichier, const ArrayMap& carte, sf::Vector2u taille_image);

/// The size in pixels of the whole level drawn at `echelle`, each side rounded to the nearest pixel.
/// Kept in double so that an absurd scale still compares sanely with a limit.
struct TailleApercu {
    double largeur, hauteur;
};
TailleApercu tailleApercu(const ArrayMap& carte, double echelle);

/// Draws the whole level into `cible`, stretched to fill it: the tile grid through a view that covers
/// every cell, then a translucent red overlay with a 1-pixel outline on every blocked cell, then a
/// yellow frame around the hero's start box.
void dessineApercu(sf::RenderTarget& cible, const TileMap& map, const ArrayMap& carte,
                   const std::vector<bool>& presences);

/// The colours of the marks, shared with whoever reads the picture back.
namespace marques_apercu {
const sf::Color voile_bloque(255, 0, 0, 96);   ///< over the whole of a blocked cell
const sf::Color bord_bloque(255, 0, 0, 255);   ///< 1 pixel inside the edge of a blocked cell
const sf::Color cadre_heros(255, 255, 0, 255); ///< 2 pixels inside the edge of the hero's start box
constexpr int epaisseur_cadre = 2;
} // namespace marques_apercu

#endif
