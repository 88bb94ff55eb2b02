#ifndef ORPA_TESTS_FIXTURE_NIVEAU_HPP
#define ORPA_TESTS_FIXTURE_NIVEAU_HPP

// A small level on disk, loaded the way the game loads its own: the level file, a tileset and a
// hero sheet are written into a temporary folder, then read back through ArrayMap, TileMap and
// Hero, and the loop state comes from creeEtatBoucle. Textures need an X server.

#include <SFML/Graphics.hpp>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ArrayMap.hpp"
#include "Demarrage.hpp"
#include "Hero.hpp"
#include "Regles.hpp"
#include "TileMap.hpp"
#include "outils_test.hpp"

namespace fixture {

/// Cells (x, y) that the presence grid marks as blocked.
using Cellules = std::set<std::pair<int, int>>;

/// A frame of the hero sheet: column 0..2, row 0 "haut", 1 "droite", 2 "bas", 3 "gauche".
struct Cadre {
    int colonne;
    int ligne;
    bool operator==(const Cadre& autre) const { return colonne == autre.colonne && ligne == autre.ligne; }
};

inline std::ostream& operator<<(std::ostream& os, const Cadre& c) {
    return os << "(colonne " << c.colonne << ", ligne " << c.ligne << ")";
}

/// Every frame of the sheet is filled with its own colour, so the frame on show can be read back.
inline sf::Color couleurCadre(int colonne, int ligne) {
    return sf::Color(static_cast<sf::Uint8>(40 + 80 * colonne), static_cast<sf::Uint8>(30 + 60 * ligne), 200);
}

/// A W x H level with the given blocked cells, the hero standing at (1, 1) facing down.
class Niveau {
public:
    Niveau(int largeur, int hauteur, const Cellules& bloquees = {}, unsigned tile_largeur = 48,
           unsigned tile_hauteur = 48)
        : monde{perso, map, presences, carte} {
        outils::gardeContexte();
        const std::filesystem::path tileset = dossier.chemin() / "decor.png";
        const std::filesystem::path feuille = dossier.chemin() / "heros.png";
        const std::filesystem::path fichier = dossier.chemin() / "niveau.txt";

        // Two solid tiles side by side: the grid only needs an image at least one tile wide.
        sf::Image decor;
        decor.create(2 * tile_largeur, tile_hauteur, sf::Color(30, 120, 30));
        for (unsigned y = 0; y < tile_hauteur; ++y)
            for (unsigned x = tile_largeur; x < 2 * tile_largeur; ++x)
                decor.setPixel(x, y, sf::Color(90, 90, 90));
        if (!decor.saveToFile(tileset.string()))
            throw std::runtime_error("cannot write the tileset");

        sf::Image heros;
        heros.create(72, 128);
        for (unsigned y = 0; y < 128; ++y)
            for (unsigned x = 0; x < 72; ++x)
                heros.setPixel(x, y, couleurCadre(static_cast<int>(x / 24), static_cast<int>(y / 32)));
        if (!heros.saveToFile(feuille.string()))
            throw std::runtime_error("cannot write the hero sheet");

        {
            std::ofstream sortie(fichier);
            sortie << tileset.string() << '|' << tile_largeur << '|' << tile_hauteur << '|' << largeur << '|' << hauteur
                   << '\n';
            for (int y = 0; y < hauteur; ++y)
                for (int x = 0; x < largeur; ++x)
                    sortie << ((x + y) % 2) << (x + 1 < largeur ? '|' : '\n');
            for (int y = 0; y < hauteur; ++y)
                for (int x = 0; x < largeur; ++x)
                    sortie << (bloquees.count({x, y}) ? '1' : '0') << (x + 1 < largeur ? '|' : '\n');
            if (!sortie)
                throw std::runtime_error("cannot write the level file");
        }

        // From here on, the game's own start-up.
        carte.genereMap(fichier.string());
        const std::vector<int> level = carte.getLevel();
        presences = carte.getPresences();
        if (!chargeGrille(map, carte, level))
            throw std::runtime_error("the tile grid did not load");
        if (!chargeHeros(perso, feuille.string()))
            throw std::runtime_error("the hero did not load");
        etat = creeEtatBoucle(carte);
    }

    Niveau(const Niveau&) = delete;
    Niveau& operator=(const Niveau&) = delete;

    /// Puts the hero's top-left corner at (x, y) tiles.
    void place(float x, float y) { perso.setPosition(x * carte.m_largeur_tile, y * carte.m_hauteur_tile); }

    /// The hero's position in tiles.
    sf::Vector2f position() const {
        const sf::Vector2f p = perso.getPosition();
        return {p.x / carte.m_largeur_tile, p.y / carte.m_hauteur_tile};
    }

    /// The frame on show, read from the hero's texture; (-1, -1) when it is no frame of the sheet.
    Cadre cadre() const {
        const sf::Image image = perso.getSprite().getTexture()->copyToImage();
        const sf::Color c = image.getPixel(image.getSize().x / 2, image.getSize().y / 2);
        for (int ligne = 0; ligne < 4; ++ligne)
            for (int colonne = 0; colonne < 3; ++colonne)
                if (c == couleurCadre(colonne, ligne))
                    return {colonne, ligne};
        return {-1, -1};
    }

    /// One key press as the frame loop hands it over.
    void appui(sf::Keyboard::Key code, sf::Vector2u fenetre = {720, 336}) { gereAppui(code, etat, monde, fenetre); }

    outils::DossierTemp dossier;
    ArrayMap carte;
    std::vector<bool> presences;
    TileMap map;
    Hero perso;
    EtatBoucle etat;
    Monde monde;
};

} // namespace fixture

#endif
