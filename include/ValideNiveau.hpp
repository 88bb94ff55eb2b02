#ifndef ORPA_VALIDENIVEAU_HPP
#define ORPA_VALIDENIVEAU_HPP

#include <SFML/System/Vector2.hpp>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "ArrayMap.hpp"
#include "Demarrage.hpp"

/// One thing wrong with a level, told the way its author should read it.
struct ProblemeNiveau {
    int ligne;           ///< line of the level file, counted from 1 as an editor does; 0 when no line applies
    std::string lieu;    ///< what is concerned: "tile width", "cell (4, 2)", "presence row 3", ...
    std::string message; ///< what is wrong and what was expected, e.g. "0, expected 1 to 4096 pixels"
    bool avertissement;  ///< true when the game still plays the level, only maybe not as its author meant
};

/// The limits that a level must respect before the game builds anything on it.
namespace limites_niveau {
/// W x H at most: every cell costs a sprite of about 300 bytes, so 2048 x 2048 cells is already 1.2 GB.
constexpr std::int64_t cases_max = 2048 * 2048;
/// Tile width and height at most, in pixels.
constexpr int taille_tile_max = 4096;
/// W x tile width and H x tile height at most, in pixels: 2^24, beyond which a float pixel position
/// can no longer tell a pixel from its neighbour.
constexpr std::int64_t pixels_max = 16777216;
} // namespace limites_niveau

/// Lists every problem of the level that `carte` read, in file order: errors that the game refuses to
/// start with, and warnings about quirks it plays through. Needs no image and no window.
std::vector<ProblemeNiveau> verifieNiveau(const ArrayMap& carte);

/// Lists the problems of the tileset image that the level's header names, given the image's size in
/// pixels; a size of 0 x 0 stands for an image that could not be loaded.
std::vector<ProblemeNiveau> verifieTileset(const ArrayMap& carte, sf::Vector2u taille_image);

/// The size in pixels of the image at `chemin`, read without a word on SFML's error stream; 0 x 0 when
/// it cannot be read. What verifieTileset wants after a tile grid refused the image.
sf::Vector2u tailleImage(const std::string& chemin);

/// True when at least one of `problemes` is an error rather than a warning.
bool contientErreur(const std::vector<ProblemeNiveau>& problemes);

/// One line for the level file `fichier`: "<file>:<line>: <where>: <what is wrong>, expected <what>",
/// with "warning: " before <where> for a warning and no "<line>:" when no line applies.
std::string formateProbleme(const std::string& fichier, const ProblemeNiveau& probleme);

/// Writes the first error of `problemes`, formatted for `fichier`, as one line on `flux`, and returns
/// true; returns false, writing nothing, when there is no error. Warnings are never written here.
bool signalePremiereErreur(const std::vector<ProblemeNiveau>& problemes, const std::string& fichier,
                           std::ostream& flux);

/// The line that says the hero's sprite sheet at `chemin` cannot be loaded.
std::string messageFeuilleHeros(const std::string& chemin);

#endif
