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

// One arrow: its key, the word it stores and animates, and its direction of travel.
struct Fleche {
    sf::Keyboard::Key touche;
    const char* mot;
    Direction direction;
};

// In the order their handlers are tried, on presses and releases alike.
const Fleche fleches[] = {{sf::Keyboard::Right, "droite", Direction::Droite},
                          {sf::Keyboard::Left, "gauche", Direction::Gauche},
                          {sf::Keyboard::Up, "haut", Direction::Haut},
                          {sf::Keyboard::Down, "bas", Direction::Bas}};

// The repeat gate: the time is asked only for the arrow's own key, the direction only when the
// time test fails.
bool passeLeFiltre(sf::Keyboard::Key code, const Fleche& fleche, const EtatBoucle& etat) {
    return code == fleche.touche && (etat.timer.asMilliseconds() > 100 || etat.direction_precedente != fleche.mot);
}

// What every press that passed the repeat gate does, moved or not.
void termine(const char* mot, bool stop, EtatBoucle& etat, Hero& perso) {
    etat.direction_precedente = mot;
    perso.anime(std::string(mot), stop);
    etat.timer = etat.clock.restart();
}

// The hero's position in tiles, taken once per key press, before any step.
struct Pression {
    float perso_x;
    float perso_y;
};

// The border guard, strict in all four directions.
bool dansLesBords(Direction direction, const Pression& p, const ArrayMap& carte) {
    switch (direction) {
    case Direction::Droite:
        return moinsUn(carte.m_largeur_map_en_tiles) > p.perso_x + 1.f;
    case Direction::Gauche:
        return p.perso_x > 1.f;
    case Direction::Haut:
        return p.perso_y > 1.f;
    case Direction::Bas:
        return moinsUn(carte.m_hauteur_map_en_tiles) > p.perso_y + 1.f;
    }
    return false;
}

// The cells ahead: whether the hero's bounds overlap each, and its presence entry. A cell that is
// not looked at overlaps and is free, so it never decides.
struct Devant {
    bool collision1 = true;
    bool presence1 = false;
    bool collision2 = true;
    bool presence2 = false;
};

// Right and down always look at their first cell; left and up only when the hero is aligned with
// the grid along the way he goes. Up and down put their row term into the presence index untruncated.
Devant regardeDevant(Direction direction, const Pression& p, const Monde& m) {
    const int W = m.carte.m_largeur_map_en_tiles;
    const float x = p.perso_x;
    const float y = p.perso_y;
    Devant d;
    switch (direction) {
    case Direction::Droite:
        d.collision1 = m.map.collision(m.perso.getCaseBox(), cellule(x + 1.f), cellule(y));
        d.presence1 = presence(m.presences, W, std::trunc(y), x + 1.f);
        if (fraction(y) > 0.f) {
            d.collision2 = m.map.collision(m.perso.getCaseBox(), cellule(x + 1.f), cellule(y + 1.f));
            d.presence2 = presence(m.presences, W, std::ceil(y), x + 1.f);
        }
        break;
    case Direction::Gauche: {
        const float decimale_x = fraction(x);
        if (decimale_x == 0.f) {
            d.collision1 = m.map.collision(m.perso.getCaseBox(), cellule(x - 1.f), cellule(y));
            d.presence1 = presence(m.presences, W, std::trunc(y), x - 1.f);
        }
        if (fraction(y) > 0.f) {
            // The overlap looks at another column once the hero is part-way across; the presence entry does not.
            const float colonne = decimale_x == 0.f ? x - 1.f : x;
            d.collision2 = m.map.collision(m.perso.getCaseBox(), cellule(colonne), cellule(y + 1.f));
            d.presence2 = presence(m.presences, W, std::ceil(y), x - 1.f);
        }
        break;
    }
    case Direction::Haut: {
        const float decimale_y = fraction(y);
        if (decimale_y == 0.f) {
            d.collision1 = m.map.collision(m.perso.getCaseBox(), cellule(x), cellule(y - 1.f));
            d.presence1 = presence(m.presences, W, y - 1.f, std::trunc(x));
        }
        if (fraction(x) > 0.f) {
            // Likewise for the row: another one for the overlap, the same presence entry.
            const float ligne = decimale_y == 0.f ? y - 1.f : y;
            d.collision2 = m.map.collision(m.perso.getCaseBox(), cellule(x + 1.f), cellule(ligne));
            d.presence2 = presence(m.presences, W, y - 1.f, std::ceil(x));
        }
        break;
    }
    case Direction::Bas:
        d.collision1 = m.map.collision(m.perso.getCaseBox(), cellule(x), cellule(y + 1.f));
        d.presence1 = presence(m.presences, W, y + 1.f, std::trunc(x));
        if (fraction(x) > 0.f) {
            d.collision2 = m.map.collision(m.perso.getCaseBox(), cellule(x + 1.f), cellule(y + 1.f));
            d.presence2 = presence(m.presences, W, y + 1.f, std::ceil(x));
        }
        break;
    }
    return d;
}

// The blocking test: the hero goes on when he is already part-way into the cells ahead, or when
// they are free. The overlap part decides alone when it holds.
bool estLibre(const Devant& d) {
    return (d.collision1 && d.collision2) || (!d.presence1 && !d.presence2);
}

// One arrow's handler past the repeat gate: border guard, blocking test, then the step and the view
// follow. Returns `stop`: true unless the hero stepped.
bool avance(Direction direction, const Pression& p, EtatBoucle& etat, Monde& m, sf::Vector2u fenetre) {
    if (!dansLesBords(direction, p, m.carte) || !estLibre(regardeDevant(direction, p, m)))
        return true;
    switch (direction) {
    case Direction::Droite:
        m.perso.deplace(etat.cran_x, 0.f);
        break;
    case Direction::Gauche:
        m.perso.deplace(-etat.cran_x, 0.f);
        break;
    case Direction::Haut:
        m.perso.deplace(0.f, -etat.cran_y);
        break;
    case Direction::Bas:
        m.perso.deplace(0.f, etat.cran_y);
        break;
    }
    suitVue(direction, p.perso_x, p.perso_y, etat, m.carte, fenetre);
    return false;
}

} // namespace

EtatBoucle creeEtatBoucle(const ArrayMap& carte) {
    EtatBoucle etat;
    etat.cran_x = carte.m_largeur_tile * etat.echelle_x / 4.f;
    etat.cran_y = carte.m_hauteur_tile * etat.echelle_y / 4.f;
    etat.clock.restart();
    return etat;
}

void gereAppui(sf::Keyboard::Key code, EtatBoucle& etat, Monde& monde, sf::Vector2u taille_fenetre) {
    const sf::Vector2f position = monde.perso.getPosition();
    const Pression p{position.x / monde.carte.m_largeur_tile, position.y / monde.carte.m_hauteur_tile};
    for (const Fleche& fleche : fleches)
        if (passeLeFiltre(code, fleche, etat))
            termine(fleche.mot, avance(fleche.direction, p, etat, monde, taille_fenetre), etat, monde.perso);
}

void gereRelache(sf::Keyboard::Key code, EtatBoucle& etat, Hero& perso) {
    for (const Fleche& fleche : fleches)
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
