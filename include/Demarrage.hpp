#ifndef ORPA_DEMARRAGE_HPP
#define ORPA_DEMARRAGE_HPP

#include <string>
#include <vector>

#include "ArrayMap.hpp"
#include "Hero.hpp"
#include "TileMap.hpp"

/// The game's start-up constants: where the hero stands and how large he is shown, whatever the level.
namespace demarrage {
constexpr float depart_heros = 48.f;                         ///< the hero's start in world pixels, on both axes
constexpr float cote_heros = 48.f;                           ///< the hero's on-screen width and height in pixels
constexpr const char* feuille_heros = "tilesets/Pelmur.png"; ///< the hero's sprite sheet
} // namespace demarrage

/// Loads `map` from the tileset that `carte` names, with the level's tile size (truncated to whole
/// pixels) and size in cells, and the tile numbers `level`. Returns TileMap::load's result.
bool chargeGrille(TileMap& map, const ArrayMap& carte, const std::vector<int>& level);

/// Loads the hero from the sheet `feuille` on his standing frame facing down, shown 48 x 48 pixels, and
/// places him at the start. Returns false, leaving him unplaced, when the sheet cannot be loaded.
bool chargeHeros(Hero& perso, const std::string& feuille);

#endif
