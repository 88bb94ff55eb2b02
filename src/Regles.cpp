#include "Regles.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// A cell coordinate: the value truncated toward zero. A value the grid cannot hold (negative,
// not a number, beyond 32 bits) becomes a coordinate outside every grid, which overlaps nothing.
unsigned int cellule(float valeur) {
    if (!(valeur >= 0.f) || valeur >= 4294967296.f)
        return std::numeric_limits<unsigned int>::max();
    return static_cast<unsigned int>(valeur);
}

// Presence entry at index float(W) * r + c, truncated. An index outside the grid reads as blocked,
// so a level that is short of entries can never let the hero walk off what it describes.
bool presence(const std::vector<bool>& presences, int largeur, float r, float c) {
    const float index = static_cast<float>(largeur) * r + c;
    if (!(index >= 0.f) || index >= static_cast<float>(presences.size()))
        return true;
    const std::size_t i = static_cast<std::size_t>(index);
    return i >= presences.size() || presences[i];
}

float fraction(float valeur) {
    float entier;
    return std::modf(valeur, &entier);
}

// W - 1 and H - 1 in integer arithmetic, widened so that no int can overflow.
float moinsUn(int n) {
    return static_cast<float>(static_cast<std::int64_t>(n) - 1);
}

bool passeLeFiltre(sf::Keyboard::Key code, sf::Keyboard::Key touche, const char* mot, const EtatBoucle& etat) {
    return code == touche && (etat.timer.asMilliseconds() > 100 || etat.direction_precedente != mot);
}

// What every press that passed the repeat gate does, moved or not.
void termine(const char* mot, bool stop, EtatBoucle& etat, Hero& perso) {
    etat.direction_precedente = mot;
    perso.anime(std::string(mot), stop);
    etat.timer = etat.clock.restart();
}

struct Pression {
    float perso_x;
    float perso_y;
};

// Each handler returns `stop`: true unless the hero stepped.

bool appuiDroite(const Pression& p, EtatBoucle& etat, Monde& m, sf::Vector2u fenetre) {
    const int W = m.carte.m_largeur_map_en_tiles;
    bool collision2 = true;
    bool presence2 = false;
    if (!(moinsUn(W) > p.perso_x + 1.f))
        return true;
    const bool collision1 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x + 1.f), cellule(p.perso_y));
    const bool presence1 = presence(m.presences, W, std::trunc(p.perso_y), p.perso_x + 1.f);
    const float decimale = fraction(p.perso_y);
    if (decimale > 0.f) {
        collision2 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x + 1.f), cellule(p.perso_y + 1.f));
        presence2 = presence(m.presences, W, std::ceil(p.perso_y), p.perso_x + 1.f);
    }
    if (!((collision1 && collision2) || (!presence1 && !presence2)))
        return true;
    m.perso.deplace(etat.cran_x, 0.f);
    suitVue(Direction::Droite, p.perso_x, p.perso_y, etat, m.carte, fenetre);
    return false;
}

bool appuiGauche(const Pression& p, EtatBoucle& etat, Monde& m, sf::Vector2u fenetre) {
    const int W = m.carte.m_largeur_map_en_tiles;
    if (!(p.perso_x > 1.f))
        return true;
    bool collision1 = true, presence1 = false, collision2 = true, presence2 = false;
    const float decimale_x = fraction(p.perso_x);
    if (decimale_x == 0.f) {
        collision1 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x - 1.f), cellule(p.perso_y));
        presence1 = presence(m.presences, W, std::trunc(p.perso_y), p.perso_x - 1.f);
    }
    const float decimale_y = fraction(p.perso_y);
    if (decimale_y > 0.f) {
        if (decimale_x == 0.f)
            collision2 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x - 1.f), cellule(p.perso_y + 1.f));
        else
            collision2 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x), cellule(p.perso_y + 1.f));
        presence2 = presence(m.presences, W, std::ceil(p.perso_y), p.perso_x - 1.f);
    }
    if (!((collision1 && collision2) || (!presence1 && !presence2)))
        return true;
    m.perso.deplace(-etat.cran_x, 0.f);
    suitVue(Direction::Gauche, p.perso_x, p.perso_y, etat, m.carte, fenetre);
    return false;
}

bool appuiHaut(const Pression& p, EtatBoucle& etat, Monde& m, sf::Vector2u fenetre) {
    const int W = m.carte.m_largeur_map_en_tiles;
    if (!(p.perso_y > 1.f))
        return true;
    bool collision1 = true, presence1 = false, collision2 = true, presence2 = false;
    const float decimale_y = fraction(p.perso_y);
    if (decimale_y == 0.f) {
        collision1 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x), cellule(p.perso_y - 1.f));
        // The row term enters untruncated: with a fractional row the index carries W times it.
        presence1 = presence(m.presences, W, p.perso_y - 1.f, std::trunc(p.perso_x));
    }
    const float decimale_x = fraction(p.perso_x);
    if (decimale_x > 0.f) {
        if (decimale_y == 0.f)
            collision2 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x + 1.f), cellule(p.perso_y - 1.f));
        else
            collision2 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x + 1.f), cellule(p.perso_y));
        presence2 = presence(m.presences, W, p.perso_y - 1.f, std::ceil(p.perso_x));
    }
    if (!((collision1 && collision2) || (!presence1 && !presence2)))
        return true;
    m.perso.deplace(0.f, -etat.cran_y);
    suitVue(Direction::Haut, p.perso_x, p.perso_y, etat, m.carte, fenetre);
    return false;
}

bool appuiBas(const Pression& p, EtatBoucle& etat, Monde& m, sf::Vector2u fenetre) {
    const int W = m.carte.m_largeur_map_en_tiles;
    const int H = m.carte.m_hauteur_map_en_tiles;
    bool collision2 = true;
    bool presence2 = false;
    if (!(moinsUn(H) > p.perso_y + 1.f))
        return true;
    const bool collision1 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x), cellule(p.perso_y + 1.f));
    const bool presence1 = presence(m.presences, W, p.perso_y + 1.f, std::trunc(p.perso_x));
    const float decimale = fraction(p.perso_x);
    if (decimale > 0.f) {
        collision2 = m.map.collision(m.perso.getCaseBox(), cellule(p.perso_x + 1.f), cellule(p.perso_y + 1.f));
        presence2 = presence(m.presences, W, p.perso_y + 1.f, std::ceil(p.perso_x));
    }
    if (!((collision1 && collision2) || (!presence1 && !presence2)))
        return true;
    m.perso.deplace(0.f, etat.cran_y);
    suitVue(Direction::Bas, p.perso_x, p.perso_y, etat, m.carte, fenetre);
    return false;
}

} // namespace

EtatBoucle creeEtatBoucle(const ArrayMap& carte) {
    EtatBoucle etat;
    etat.local_x = 1.f;
    etat.local_y = 1.f;
    etat.cran_x = carte.m_largeur_tile * etat.echelle_x / 4.f;
    etat.cran_y = carte.m_hauteur_tile * etat.echelle_y / 4.f;
    etat.direction_precedente.clear();
    etat.clock.restart();
    return etat;
}

void gereAppui(sf::Keyboard::Key code, EtatBoucle& etat, Monde& monde, sf::Vector2u taille_fenetre) {
    const sf::Vector2f position = monde.perso.getPosition();
    const Pression p{position.x / monde.carte.m_largeur_tile, position.y / monde.carte.m_hauteur_tile};

    if (passeLeFiltre(code, sf::Keyboard::Right, "droite", etat))
        termine("droite", appuiDroite(p, etat, monde, taille_fenetre), etat, monde.perso);
    if (passeLeFiltre(code, sf::Keyboard::Left, "gauche", etat))
        termine("gauche", appuiGauche(p, etat, monde, taille_fenetre), etat, monde.perso);
    if (passeLeFiltre(code, sf::Keyboard::Up, "haut", etat))
        termine("haut", appuiHaut(p, etat, monde, taille_fenetre), etat, monde.perso);
    if (passeLeFiltre(code, sf::Keyboard::Down, "bas", etat))
        termine("bas", appuiBas(p, etat, monde, taille_fenetre), etat, monde.perso);
}

void gereRelache(sf::Keyboard::Key code, EtatBoucle& etat, Hero& perso) {
    const struct {
        sf::Keyboard::Key touche;
        const char* mot;
    } fleches[] = {{sf::Keyboard::Right, "droite"},
                   {sf::Keyboard::Left, "gauche"},
                   {sf::Keyboard::Up, "haut"},
                   {sf::Keyboard::Down, "bas"}};
    for (const auto& fleche : fleches)
        if (code == fleche.touche && etat.direction_precedente == fleche.mot)
            perso.arretSprite(std::string(fleche.mot));
    etat.timer = etat.clock.restart();
}

void gereRedimensionnement(unsigned int largeur, unsigned int hauteur, EtatBoucle& etat) {
    const float largeur_resized = static_cast<float>(largeur);
    const float hauteur_resized = static_cast<float>(hauteur);
    etat.echelle_x = largeur_resized / 720.f;
    etat.echelle_y = hauteur_resized / 336.f;
}

void suitVue(Direction direction, float perso_x, float perso_y, EtatBoucle& etat, const ArrayMap& carte,
             sf::Vector2u taille_fenetre) {
    // Thresholds in tiles, each in single precision: size, then / 3, then / (tile size * scale).
    const float produit_x = carte.m_largeur_tile * etat.echelle_x;
    const float produit_y = carte.m_hauteur_tile * etat.echelle_y;
    const float Ax = static_cast<float>(taille_fenetre.x) / 3.f / produit_x;
    const float A2x = static_cast<float>(2u * taille_fenetre.x) / 3.f / produit_x;
    const float Ay = static_cast<float>(taille_fenetre.y) / 3.f / produit_y;
    const float A2y = static_cast<float>(2u * taille_fenetre.y) / 3.f / produit_y;

    switch (direction) {
    case Direction::Droite: {
        const bool c1 = (etat.local_x + 1.f) >= A2x;
        const float pt_limite_droite = static_cast<float>(carte.m_largeur_map_en_tiles) - Ax;
        const bool c2 = static_cast<double>(pt_limite_droite) >= static_cast<double>(perso_x + 1.f) + 0.25;
        if (c1 && c2)
            etat.view.move(etat.cran_x, 0.f);
        else
            etat.local_x = etat.local_x + 0.25f;
        break;
    }
    case Direction::Gauche: {
        const bool c1 = Ax >= etat.local_x;
        const bool c2 = (static_cast<double>(perso_x) - 0.25) >= static_cast<double>(Ax);
        if (c1 && c2)
            etat.view.move(-etat.cran_x, 0.f);
        else
            etat.local_x = etat.local_x - 0.25f;
        break;
    }
    case Direction::Haut: {
        const bool c1 = Ay >= etat.local_y;
        const bool c2 = perso_y >= Ay;
        if (c1 && c2)
            etat.view.move(0.f, -etat.cran_y);
        else
            etat.local_y = etat.local_y - 0.25f;
        break;
    }
    case Direction::Bas: {
        const bool c1 = (static_cast<double>(etat.local_y + 1.f) + 0.25) >= static_cast<double>(A2y);
        const float pt_limite_bas = static_cast<float>(carte.m_hauteur_map_en_tiles) - Ay;
        const bool c2 = static_cast<double>(pt_limite_bas) >= static_cast<double>(perso_y + 1.f) + 0.25;
        if (c1 && c2)
            etat.view.move(0.f, etat.cran_y);
        else
            etat.local_y = etat.local_y + 0.25f;
        break;
    }
    }
}
