#ifndef ORPA_REGLES_HPP
#define ORPA_REGLES_HPP

#include <SFML/Graphics.hpp>
#include <string>
#include <vector>

#include "ArrayMap.hpp"
#include "Hero.hpp"
#include "TileMap.hpp"

/// The loop state that the movement and view-follow rules read and change.
struct EtatBoucle {
    sf::View view{sf::Vector2f(360.f, 168.f), sf::Vector2f(720.f, 336.f)}; ///< the game view
    float echelle_x = 1.f;                                                 ///< window width / 720 as of the last resize
    float echelle_y = 1.f;            ///< window height / 336 as of the last resize
    float local_x = 1.f;              ///< the hero's column relative to the view, in tiles
    float local_y = 1.f;              ///< the hero's row relative to the view, in tiles
    float cran_x = 0.f;               ///< one step across, in pixels: a quarter of the tile width
    float cran_y = 0.f;               ///< one step down, in pixels: a quarter of the tile height
    sf::Clock clock;                  ///< the step clock; starts when the state is made
    sf::Time timer;                   ///< the step clock's reading for the current frame or last restart
    std::string direction_precedente; ///< the word of the last press that passed the repeat gate
};

/// What the rules look at in the world. The references must outlive every call that uses them.
struct Monde {
    Hero& perso;                        ///< the hero, moved and animated by the rules
    const TileMap& map;                 ///< the tile grid, for the overlap test
    const std::vector<bool>& presences; ///< the presence grid: entry x + W * y, true = blocked
    const ArrayMap& carte;              ///< the level: tile size, W and H
};

/// Makes the loop state for a level: steps of a quarter tile, and the step clock started now.
EtatBoucle creeEtatBoucle(const ArrayMap& carte);

/// Handles one key press: the arrow's repeat gate, border guard, blocking test, step, view
/// follow, then animation and clock restart. `taille_fenetre` is the window's size in pixels.
void gereAppui(sf::Keyboard::Key code, EtatBoucle& etat, Monde& monde, sf::Vector2u taille_fenetre);

/// Handles one key release: the standing frame when it is the last direction's arrow; every
/// release restarts the step clock.
void gereRelache(sf::Keyboard::Key code, EtatBoucle& etat, Hero& perso);

/// Records a new window size in the scale factors that the view-follow rule reads.
void gereRedimensionnement(unsigned int largeur, unsigned int hauteur, EtatBoucle& etat);

/// The four directions of travel, in the order their handlers are tried.
enum class Direction { Droite, Gauche, Haut, Bas };

/// After an accepted step in `direction`, moves the view by the same step when the hero is near
/// the view's edge and the level goes on that way, or else moves local_x or local_y by a quarter.
/// `perso_x` and `perso_y` are the hero's position in tiles from before the step.
void suitVue(Direction direction, float perso_x, float perso_y, EtatBoucle& etat, const ArrayMap& carte,
             sf::Vector2u taille_fenetre);

#endif
