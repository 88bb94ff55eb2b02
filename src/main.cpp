#include <SFML/Graphics.hpp>
#include <string>
#include <vector>

#include "ArrayMap.hpp"
#include "Hero.hpp"
#include "Regles.hpp"
#include "TileMap.hpp"

int main() {
    sf::RenderWindow window(sf::VideoMode(720, 336, 32), sf::String("Orpa SFML"), sf::Style::Default,
                            sf::ContextSettings());

    ArrayMap carte;
    carte.genereMap("map/base_map.txt");
    const std::vector<int> vector_level = carte.getLevel();
    const std::vector<bool> vector_presences = carte.getPresences();
    const std::vector<int> level(vector_level.begin(), vector_level.end());

    TileMap map;
    const sf::Vector2u tileSize(static_cast<unsigned int>(carte.m_largeur_tile),
                                static_cast<unsigned int>(carte.m_hauteur_tile));
    if (!map.load(carte.m_chemin_tileset, tileSize, level.data(),
                  static_cast<unsigned int>(carte.m_largeur_map_en_tiles),
                  static_cast<unsigned int>(carte.m_hauteur_map_en_tiles)))
        return -1;

    Hero perso;
    if (!perso.load("tilesets/Pelmur.png", 24, 64, 24, 32, 48, 48))
        return -1;
    perso.setPosition(48, 48);

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
