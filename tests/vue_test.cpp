// The view follow: walks through real key presses on real levels, resizes, and direct cases of the
// rule at the edges of its comparisons.

#include <gtest/gtest.h>

#include <SFML/Graphics.hpp>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "ArrayMap.hpp"
#include "Regles.hpp"
#include "fixture_niveau.hpp"

using fixture::Cellules;
using fixture::Niveau;

namespace {

const sf::Vector2u fenetre_depart(720, 336);

// One accepted step of a walk: the hero's coordinate along the walk and local_x or local_y, both
// from before the step, and whether the view moved.
struct Pas {
    float perso;
    float local;
    bool vue;
};

// Holds `touche` down: one press per frame, each frame more than 100 ms after the last step, until
// the border guard stops the hero. Checks on every step that exactly one of the two effects happened:
// the view moved by the hero's step, or local moved by a quarter.
std::vector<Pas> marche(Niveau& n, sf::Keyboard::Key touche, sf::Vector2u fenetre = fenetre_depart) {
    const bool horizontal = touche == sf::Keyboard::Right || touche == sf::Keyboard::Left;
    const float sens = (touche == sf::Keyboard::Right || touche == sf::Keyboard::Down) ? 1.f : -1.f;
    std::vector<Pas> pas;
    for (int garde = 0; garde < 1000; ++garde) {
        const sf::Vector2f position = n.position();
        const sf::Vector2f centre = n.etat.view.getCenter();
        const float local = horizontal ? n.etat.local_x : n.etat.local_y;
        const float autre_local = horizontal ? n.etat.local_y : n.etat.local_x;
        n.etat.timer = sf::milliseconds(101);
        n.appui(touche, fenetre);
        if (n.position() == position)
            return pas;

        const float perso = horizontal ? position.x : position.y;
        SCOPED_TRACE("step from " + std::to_string(perso));
        const bool vue = n.etat.view.getCenter() != centre;
        const sf::Vector2f pas_vue =
            horizontal ? sf::Vector2f(sens * n.etat.cran_x, 0.f) : sf::Vector2f(0.f, sens * n.etat.cran_y);
        const float local_apres = horizontal ? n.etat.local_x : n.etat.local_y;
        if (vue) {
            EXPECT_EQ(n.etat.view.getCenter(), centre + pas_vue);
            EXPECT_EQ(local_apres, local);
        } else {
            EXPECT_EQ(local_apres, local + sens * 0.25f);
        }
        EXPECT_EQ(horizontal ? n.etat.local_y : n.etat.local_x, autre_local);
        pas.push_back({perso, local, vue});
    }
    ADD_FAILURE() << "the hero never reached the border";
    return pas;
}

std::vector<float> ouLaVueBouge(const std::vector<Pas>& pas) {
    std::vector<float> resultat;
    for (const Pas& p : pas)
        if (p.vue)
            resultat.push_back(p.perso);
    return resultat;
}

// de, de +/- 0.25, ... up to a, both included.
std::vector<float> quarts(float de, float a) {
    std::vector<float> resultat;
    const int q_de = static_cast<int>(std::lround(de * 4.f));
    const int q_a = static_cast<int>(std::lround(a * 4.f));
    const int sens = q_a >= q_de ? 1 : -1;
    for (int q = q_de;; q += sens) {
        resultat.push_back(static_cast<float>(q) / 4.f);
        if (q == q_a)
            break;
    }
    return resultat;
}

float premierLocalQuiBouge(const std::vector<Pas>& pas) {
    for (const Pas& p : pas)
        if (p.vue)
            return p.local;
    return NAN;
}

// Back where the level starts: the view on its top-left corner, the hero on cell (1, 1), and both
// locals with him.
void verifieRevenuAuDepart(const Niveau& n) {
    EXPECT_EQ(n.etat.view.getCenter(), sf::Vector2f(360.f, 168.f));
    EXPECT_EQ(n.position(), sf::Vector2f(1.f, 1.f));
    EXPECT_EQ(n.etat.local_x, 1.f);
    EXPECT_EQ(n.etat.local_y, 1.f);
}

TEST(SuiviVue, AllerEtRetourSurLaLargeur) {
    Niveau n(30, 20);

    const std::vector<Pas> vers_droite = marche(n, sf::Keyboard::Right);
    ASSERT_FALSE(vers_droite.empty());
    EXPECT_EQ(vers_droite.front().perso, 1.f);
    EXPECT_EQ(vers_droite.back().perso, 27.75f);
    // local_x grows to 9; then the view follows while the level goes on: 25 >= perso_x + 1.25.
    EXPECT_EQ(ouLaVueBouge(vers_droite), quarts(9.f, 23.75f));
    EXPECT_EQ(premierLocalQuiBouge(vers_droite), 9.f);
    EXPECT_EQ(n.etat.view.getCenter(), sf::Vector2f(15 * 48 + 360.f, 168.f)) << "left edge on column 15";
    EXPECT_EQ(n.position(), sf::Vector2f(28.f, 1.f));
    EXPECT_EQ(n.etat.local_x, 13.f);

    const std::vector<Pas> vers_gauche = marche(n, sf::Keyboard::Left);
    EXPECT_EQ(ouLaVueBouge(vers_gauche), quarts(20.f, 5.25f));
    EXPECT_EQ(premierLocalQuiBouge(vers_gauche), 5.f);
    verifieRevenuAuDepart(n);
}

TEST(SuiviVue, AllerEtRetourSurLaHauteur) {
    Niveau n(30, 20);

    const std::vector<Pas> vers_bas = marche(n, sf::Keyboard::Down);
    // At local_y 3.25 the bottom edge after the step, 4.5, is short of 4.6666665; at 3.5 it is not.
    // The view then follows while 17.666666 >= perso_y + 1.25.
    EXPECT_EQ(ouLaVueBouge(vers_bas), quarts(3.5f, 16.25f));
    EXPECT_EQ(premierLocalQuiBouge(vers_bas), 3.5f);
    EXPECT_EQ(n.etat.view.getCenter(), sf::Vector2f(360.f, 13 * 48 + 168.f)) << "top edge on row 13";
    EXPECT_EQ(n.position(), sf::Vector2f(1.f, 18.f));
    EXPECT_EQ(n.etat.local_y, 5.f);

    const std::vector<Pas> vers_haut = marche(n, sf::Keyboard::Up);
    // local_y falls to 2.25, the first value not above 2.3333333; the view follows while perso_y >= Ay.
    EXPECT_EQ(ouLaVueBouge(vers_haut), quarts(15.25f, 2.5f));
    EXPECT_EQ(premierLocalQuiBouge(vers_haut), 2.25f);
    verifieRevenuAuDepart(n);
}

TEST(SuiviVue, UnNiveauTropPetitNeDefilePas) {
    const struct {
        int largeur, hauteur;
        sf::Keyboard::Key touche;
        std::vector<float> mouvements;
        sf::Vector2f centre;
    } cas[] = {
        {15, 20, sf::Keyboard::Right, {}, {360.f, 168.f}},
        {16, 20, sf::Keyboard::Right, {9.f, 9.25f, 9.5f, 9.75f}, {48 + 360.f, 168.f}},
        {30, 7, sf::Keyboard::Down, {}, {360.f, 168.f}},
        {30, 8, sf::Keyboard::Down, {3.5f, 3.75f, 4.f, 4.25f}, {360.f, 48 + 168.f}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::to_string(c.largeur) + " x " + std::to_string(c.hauteur));
        Niveau n(c.largeur, c.hauteur);
        EXPECT_EQ(ouLaVueBouge(marche(n, c.touche)), c.mouvements);
        EXPECT_EQ(n.etat.view.getCenter(), c.centre);
    }
}

TEST(SuiviVue, UnPasRefuseNeBougeNiLaVueNiLeHeros) {
    // Each press would move the view if it reached the rule.
    const struct {
        const char* nom;
        Cellules bloquees;
        sf::Vector2f depart;
        const char* precedente;
        sf::Time timer;
    } cas[] = {
        {"blocked cell ahead", {{10, 1}}, {9.f, 1.f}, "", sf::Time::Zero},
        {"repeat gate", {}, {9.f, 1.f}, "droite", sf::milliseconds(50)},
        {"border guard", {}, {28.f, 1.f}, "", sf::Time::Zero},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Niveau n(30, 20, c.bloquees);
        n.place(c.depart.x, c.depart.y);
        n.etat.local_x = 9.f;
        n.etat.direction_precedente = c.precedente;
        n.etat.timer = c.timer;
        n.appui(sf::Keyboard::Right);
        EXPECT_EQ(n.position(), c.depart);
        EXPECT_EQ(n.etat.view.getCenter(), sf::Vector2f(360.f, 168.f));
        EXPECT_EQ(n.etat.local_x, 9.f);
        EXPECT_EQ(n.etat.local_y, 1.f);
    }
}

TEST(Redimensionnement, SeulesLesEchellesChangent) {
    const struct {
        unsigned largeur, hauteur;
        float echelle_x, echelle_y;
    } cas[] = {
        {1440, 672, 2.f, 2.f},
        {360, 336, 0.5f, 1.f},
        {800, 600, 1.1111112f, 1.7857143f},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::to_string(c.largeur) + " x " + std::to_string(c.hauteur));
        Niveau n(30, 20);
        for (int i = 0; i < 40; ++i) { // far enough for the view to have moved
            n.etat.timer = sf::milliseconds(101);
            n.appui(sf::Keyboard::Right);
        }
        const sf::Vector2f centre = n.etat.view.getCenter();
        ASSERT_NE(centre, sf::Vector2f(360.f, 168.f));
        const float local_x = n.etat.local_x;

        gereRedimensionnement(c.largeur, c.hauteur, n.etat);

        EXPECT_EQ(n.etat.echelle_x, c.echelle_x);
        EXPECT_EQ(n.etat.echelle_y, c.echelle_y);
        EXPECT_EQ(n.etat.view.getCenter(), centre);
        EXPECT_EQ(n.etat.view.getSize(), sf::Vector2f(720.f, 336.f));
        EXPECT_EQ(n.etat.cran_x, 12.f);
        EXPECT_EQ(n.etat.cran_y, 12.f);
        EXPECT_EQ(n.etat.local_x, local_x);
        EXPECT_EQ(n.etat.local_y, 1.f);
    }
}

TEST(Redimensionnement, A800Sur600LaVueSuitUnPasPlusTardVersLaGauche) {
    // 800 / 720 rounds to 1.1111112, which makes Ax 4.9999995 instead of 5. The view still moves by
    // the step of the start, 12 pixels, whatever the scale.
    const struct {
        sf::Keyboard::Key touche;
        float dx;
        bool redimensionne;
        sf::Vector2u fenetre;
        float local_x;
        bool vue;
    } cas[] = {
        {sf::Keyboard::Left, -0.25f, false, {720, 336}, 5.25f, false},
        {sf::Keyboard::Left, -0.25f, false, {720, 336}, 5.f, true},
        {sf::Keyboard::Left, -0.25f, true, {800, 600}, 5.f, false},
        {sf::Keyboard::Left, -0.25f, true, {800, 600}, 4.75f, true},
        {sf::Keyboard::Right, 0.25f, true, {800, 600}, 9.f, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::to_string(c.fenetre.x) + " x " + std::to_string(c.fenetre.y) + ", local_x " +
                     std::to_string(c.local_x) + (c.dx > 0 ? ", right" : ", left"));
        Niveau n(30, 20);
        if (c.redimensionne)
            gereRedimensionnement(c.fenetre.x, c.fenetre.y, n.etat);
        n.place(10.f, 1.f);
        n.etat.view.move(9 * 48.f, 0.f);
        n.etat.local_x = c.local_x;
        const sf::Vector2f centre = n.etat.view.getCenter();

        n.appui(c.touche, c.fenetre);

        ASSERT_EQ(n.position(), sf::Vector2f(10.f + c.dx, 1.f));
        EXPECT_EQ(n.etat.view.getCenter(), c.vue ? centre + sf::Vector2f(c.dx * 48.f, 0.f) : centre);
        EXPECT_EQ(n.etat.local_x, c.vue ? c.local_x : c.local_x + c.dx);
    }
}

// A direct case of the rule: one step in one direction from a chosen state.
struct Cas {
    std::string nom;
    Direction direction;
    bool vue; ///< the view moves (else local moves by a quarter)
    float perso_x = 10.f, perso_y = 10.f;
    float local_x = 1.f, local_y = 1.f;
    int largeur = 30, hauteur = 20;
    sf::Vector2u fenetre{720, 336};
    float echelle_x = 1.f, echelle_y = 1.f;
    bool redimension = false; ///< the scales come from a resize to the window's size

    Cas(std::string n, Direction d, bool v) : nom(std::move(n)), direction(d), vue(v) {}
    Cas& perso(float x, float y) {
        perso_x = x, perso_y = y;
        return *this;
    }
    Cas& local(float x, float y) {
        local_x = x, local_y = y;
        return *this;
    }
    Cas& niveau(int w, int h) {
        largeur = w, hauteur = h;
        return *this;
    }
    Cas& taille(unsigned x, unsigned y) {
        fenetre = {x, y};
        return *this;
    }
    Cas& redimensionne(unsigned x, unsigned y) {
        fenetre = {x, y};
        redimension = true;
        return *this;
    }
    Cas& echelle(float x, float y) {
        echelle_x = x, echelle_y = y;
        return *this;
    }
};

void verifie(const Cas& c) {
    SCOPED_TRACE(c.nom);
    ArrayMap carte;
    carte.m_largeur_tile = 48.f;
    carte.m_hauteur_tile = 48.f;
    carte.m_largeur_map_en_tiles = c.largeur;
    carte.m_hauteur_map_en_tiles = c.hauteur;
    EtatBoucle etat;
    etat.cran_x = 12.f;
    etat.cran_y = 12.f;
    etat.local_x = c.local_x;
    etat.local_y = c.local_y;
    etat.echelle_x = c.echelle_x;
    etat.echelle_y = c.echelle_y;
    if (c.redimension)
        gereRedimensionnement(c.fenetre.x, c.fenetre.y, etat);
    const sf::Vector2f centre = etat.view.getCenter();

    suitVue(c.direction, c.perso_x, c.perso_y, etat, carte, c.fenetre);

    sf::Vector2f pas_vue;
    float local_x = c.local_x, local_y = c.local_y;
    switch (c.direction) {
    case Direction::Droite:
        pas_vue = {12.f, 0.f};
        local_x += 0.25f;
        break;
    case Direction::Gauche:
        pas_vue = {-12.f, 0.f};
        local_x -= 0.25f;
        break;
    case Direction::Haut:
        pas_vue = {0.f, -12.f};
        local_y -= 0.25f;
        break;
    case Direction::Bas:
        pas_vue = {0.f, 12.f};
        local_y += 0.25f;
        break;
    }
    if (c.vue) {
        EXPECT_EQ(etat.view.getCenter(), centre + pas_vue) << "the view should have moved";
        EXPECT_EQ(etat.local_x, c.local_x);
        EXPECT_EQ(etat.local_y, c.local_y);
    } else {
        EXPECT_EQ(etat.view.getCenter(), centre) << "the view should have stayed";
        EXPECT_EQ(etat.local_x, local_x);
        EXPECT_EQ(etat.local_y, local_y);
    }
}

TEST(RegleDeSuivi, ChaqueComparaisonEstLargeEtSeDecideAuBitPres) {
    using D = Direction;
    const float apres_14_75 = std::nextafter(14.75f, 15.f); // 14.75 + 2^-20
    const float apres_15 = std::nextafter(15.f, 16.f);      // 15 + 2^-20
    // A scale just under 1 that lifts a threshold of 4 by one float step, to 4 + 2^-20.
    const float sous_un = 1.f - std::ldexp(1.f, -22);
    const Cas cas[] = {
        // At 48-pixel tiles and 720 x 336: Ax 5, A2x 10, Ay 2.3333333, A2y 4.6666665; limits 25 and 17.666666.
        Cas("right c1: local_x + 1 equal to A2x", D::Droite, true).local(9.f, 1.f),
        Cas("right c1: local_x + 1 below A2x", D::Droite, false).local(8.75f, 1.f),
        Cas("right c2: 25 equal to perso_x + 1.25", D::Droite, true).perso(23.75f, 1.f).local(9.f, 1.f),
        Cas("right c2: 25 below perso_x + 1.25", D::Droite, false).perso(24.f, 1.f).local(9.f, 1.f),
        Cas("left c1: local_x equal to Ax", D::Gauche, true).local(5.f, 1.f),
        Cas("left c1: local_x above Ax", D::Gauche, false).local(5.25f, 1.f),
        Cas("left c2: perso_x - 0.25 equal to Ax", D::Gauche, true).perso(5.25f, 1.f).local(5.f, 1.f),
        Cas("left c2: perso_x - 0.25 below Ax", D::Gauche, false).perso(5.f, 1.f).local(5.f, 1.f),
        Cas("up c1: local_y equal to Ay", D::Haut, true).local(1.f, 2.3333333f),
        Cas("up c1: local_y above Ay", D::Haut, false).local(1.f, 2.5f),
        Cas("up c2: perso_y equal to Ay in single precision", D::Haut, true).perso(1.f, 2.3333333f).local(1.f, 2.f),
        Cas("up c2: perso_y below Ay", D::Haut, false).perso(1.f, 2.25f).local(1.f, 2.f),
        Cas("down c1: local_y 3.5, 4.75 reaches A2y", D::Bas, true).perso(1.f, 5.f).local(1.f, 3.5f),
        Cas("down c1: local_y 3.25, 4.5 is short of A2y", D::Bas, false).perso(1.f, 5.f).local(1.f, 3.25f),
        Cas("down c1: local_y + 1.25 equal to A2y", D::Bas, true).perso(1.f, 5.f).local(1.f, 4.6666665f - 1.25f),
        Cas("down c2: 17.666666 covers perso_y 16.25", D::Bas, true).perso(1.f, 16.25f).local(1.f, 3.5f),
        Cas("down c2: 17.666666 is short of perso_y 16.5", D::Bas, false).perso(1.f, 16.5f).local(1.f, 3.5f),
        Cas("down c2: limit equal to perso_y + 1.25", D::Bas, true)
            .perso(1.f, 17.666666f - 1.25f - 1.f)
            .local(1.f, 3.5f),

        // The double-precision sums: in single precision 15.75 + 2^-20 + 0.25 would round to the
        // limit 16 (W 21 less Ax 5; H 18 less Ay 2 in a 288-pixel-high window) and pass.
        Cas("right c2: sum in double, a hair past 16", D::Droite, false)
            .niveau(21, 20)
            .perso(apres_14_75, 1.f)
            .local(9.f, 1.f),
        Cas("down c2: sum in double, a hair past 16", D::Bas, false)
            .niveau(30, 18)
            .taille(720, 288)
            .perso(1.f, apres_14_75)
            .local(1.f, 3.f),
        // ...but perso + 1 is formed in single precision first: 16 + 2^-20 rounds to 16, and 16.25
        // meets the limit (W 21 less Ax 4.75 in a 684-pixel-wide window; H 18 less Ay 1.75 at 252).
        Cas("right c2: perso_x + 1 rounded before widening", D::Droite, true)
            .niveau(21, 20)
            .taille(684, 336)
            .perso(apres_15, 1.f)
            .local(9.f, 1.f),
        Cas("down c2: perso_y + 1 rounded before widening", D::Bas, true)
            .niveau(30, 18)
            .taille(720, 252)
            .perso(1.f, apres_15)
            .local(1.f, 2.25f),
        // Down c1: 3.75 + 3 * 2^-22 + 0.25 lies below A2y = 4 + 2^-20 in double; in single
        // precision it would round up to it.
        Cas("down c1: sum in double, a hair short of A2y", D::Bas, false)
            .taille(720, 288)
            .echelle(1.f, sous_un)
            .perso(1.f, 5.f)
            .local(1.f, 2.75f + 3 * std::ldexp(1.f, -22)),
        // Down c1 again: local_y + 1 is rounded in single precision (1 + 2^-23) before 0.25 is
        // added, which reaches A2y = 1.25 + 2^-23 (a 90-pixel-high window, scale just under 1).
        Cas("down c1: local_y + 1 rounded before widening", D::Bas, true)
            .taille(720, 90)
            .echelle(1.f, std::nextafter(1.f, 0.f))
            .perso(1.f, 5.f)
            .local(1.f, 3 * std::ldexp(1.f, -25)),
        // Right c1 stays in single precision: local_x + 1 = 4 + 3 * 2^-22 rounds up to A2x = 4 + 2^-20.
        Cas("right c1: local_x + 1 rounded in single precision", D::Droite, true)
            .taille(288, 336)
            .echelle(sous_un, 1.f)
            .perso(5.f, 1.f)
            .local(3.f + 3 * std::ldexp(1.f, -22), 1.f),
        // Left c2 subtracts in double: 2^24 - 0.25 is below Ax = 2^24, though in single precision
        // it rounds back to 2^24 (a scale of 5 * 2^-24 makes the view 2^24 tiles wide over 3).
        Cas("left c2: difference in double", D::Gauche, false)
            .niveau(30, 20)
            .echelle(std::ldexp(5.f, -24), 1.f)
            .perso(16777216.f, 1.f)
            .local(1.f, 1.f),

        // Thresholds in single precision, in the order size / 3 / (tile * scale), after a resize to
        // the window's size; other orders round these windows' thresholds the other way.
        Cas("left at 1280 x 720: Ax is 4.9999995", D::Gauche, false).redimensionne(1280, 720).local(5.f, 1.f),
        Cas("left at 1024 x 768: Ax is 5", D::Gauche, true).redimensionne(1024, 768).local(5.f, 1.f),
        Cas("right at 1024 x 768: A2x is 10", D::Droite, false)
            .redimensionne(1024, 768)
            .perso(5.f, 1.f)
            .local(std::nextafter(9.f, 0.f), 1.f),
        Cas("up at 1280 x 720: Ay is 2.3333335", D::Haut, true).redimensionne(1280, 720).local(1.f, 2.3333335f),
        Cas("up at 720 x 204: Ay is 2.3333335", D::Haut, true).redimensionne(720, 204).local(1.f, 2.3333335f),
        Cas("down at 720 x 204: A2y is 4.666667", D::Bas, false)
            .redimensionne(720, 204)
            .perso(1.f, 5.f)
            .local(1.f, 4.6666665f - 1.25f),
        // The limits stay in single precision. 13 - 4.9999995 is 8 + 2^-21, rounded to 8: a step whose
        // far edge is 8 + 2^-21 goes past it. Likewise 10 - 254 / 144 rounds down by half a float step.
        Cas("right limit rounded to single precision", D::Droite, false)
            .niveau(13, 20)
            .redimensionne(800, 600)
            .perso(6.75f + std::ldexp(1.f, -21), 1.f)
            .local(9.f, 1.f),
        Cas("down limit rounded to single precision", D::Bas, false)
            .niveau(30, 10)
            .taille(720, 254)
            .perso(1.f, 0x1.bf1c72p+2f)
            .local(1.f, 2.5f),
        // 2 x the window size is formed in 32 bits: past 2^31 it wraps, and A2x or A2y becomes small.
        Cas("right c1: 2 * Sx wraps", D::Droite, true)
            .niveau(20000000, 20)
            .taille(2147483904u, 336)
            .perso(5.f, 1.f)
            .local(3.f, 1.f),
        Cas("down c1: 2 * Sy wraps", D::Bas, true)
            .niveau(30, 20000000)
            .taille(720, 2147483904u)
            .perso(1.f, 5.f)
            .local(1.f, 3.f),
    };
    for (const Cas& c : cas)
        verifie(c);
}

} // namespace
