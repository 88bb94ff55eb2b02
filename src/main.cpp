#include <SFML/Graphics.hpp>
#include <iostream>
#include <string>
#include <vector>

#include "ArrayMap.hpp"
#include "Hero.hpp"
#include "Regles.hpp"
#include "TileMap.hpp"
#include "ValideNiveau.hpp"

int main() {
    sf::RenderWindow window(sf::VideoMode(720, 336, 32), sf::String("Orpa SFML"), sf::Style::Default,
                            sf::ContextSettings());

    const std::string fichier_niveau = "map/base_map.txt";
    ArrayMap carte;
    carte.genereMap(fichier_niveau);
    // A file that cannot be opened has had its line from genereMap; a level that would make the
    // grid or the rules read outside what it describes gets one line here and is never built.
    if (!carte.estOuvert() || signalePremiereErreur(verifieNiveau(carte), fichier_niveau, std::cerr))
        return -1;
    const std::vector<int> vector_level = carte.getLevel();
    const std::vector<bool> vector_presences = carte.getPresences();
    const std::vector<int> level(vector_level.begin(), vector_level.end());

    TileMap map;
    const sf::Vector2u tileSize(static_cast<unsigned int>(carte.m_largeur_tile),
                                static_cast<unsigned int>(carte.m_hauteur_tile));
    if (!map.load(carte.m_chemin_tileset, tileSize, level.data(),
                  static_cast<unsigned int>(carte.m_largeur_map_en_tiles),
                  static_cast<unsigned int>(carte.m_hauteur_map_en_tiles))) {
        signalePremiereErreur(verifieTileset(carte, tailleImage(carte.m_chemin_tileset)), fichier_niveau, std::cerr);
        return -1;
    }

    const std::string feuille_heros = "tilesets/Pelmur.png";
    Hero perso;
    if (!perso.load(feuille_heros, 24, 64, 24, 32, 48, 48)) {
        std::cerr << messageFeuilleHeros(feuille_heros) << std::endl;
        return -1;
    }
    perso.setPosition(limites_niveau::depart_heros, limites_niveau::depart_heros);

    EtatBoucle etat = creeEtatBoucle(carte);
    Monde monde{perso, map, vector_presences, carte};

    while (window.isOpen()) {
        etat.timer = etat.clock.getElapsedTime();
        sf::Event event;
        while (window.pollEvent(event)) {
            if (event.type == sf::Event::Closed)
                window.close();
            else if (event.type == sf::Event::KeyPressed)
                gereAppui(event.key.code, etat, monde, window.getSize());
            else if (event.type == sf::Event::KeyReleased)
                gereRelache(event.key.code, etat, perso);
            else if (event.type == sf::Event::Resized)
                gereRedimensionnement(event.size.width, event.size.height, etat);
        }
        window.clear(sf::Color(0, 0, 0, 255));
        window.setView(etat.view);
        map.dessine(window);
        perso.dessine(window);
        window.display();
    }
    return 0;
}
