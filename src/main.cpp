#include <SFML/Graphics.hpp>
#include <iostream>
#include <string>
#include <vector>

#include "ArrayMap.hpp"
#include "Demarrage.hpp"
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
    if (!chargeGrille(map, carte, level)) {
        signalePremiereErreur(verifieTileset(carte, tailleImage(carte.m_chemin_tileset)), fichier_niveau, std::cerr);
        return -1;
    }

    Hero perso;
    if (!chargeHeros(perso, demarrage::feuille_heros)) {
        std::cerr << messageFeuilleHeros(demarrage::feuille_heros) << std::endl;
        return -1;
    }

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
