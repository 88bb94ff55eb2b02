// Key presses and releases: the repeat gate, the border guard, the blocking test and the walk frames,
// driven with real level files, a real tile grid and a real hero.

#include <gtest/gtest.h>

#include <SFML/Graphics.hpp>
#include <string>
#include <vector>

#include "Regles.hpp"
#include "fixture_niveau.hpp"

using fixture::Cadre;
using fixture::Cellules;
using fixture::Niveau;

namespace {

struct Fleche {
    sf::Keyboard::Key touche;
    const char* mot;
    float dx; ///< one step, in tiles
    float dy;
    int ligne; ///< row of the hero sheet
};

const Fleche droite{sf::Keyboard::Right, "droite", 0.25f, 0.f, 1};
const Fleche gauche{sf::Keyboard::Left, "gauche", -0.25f, 0.f, 3};
const Fleche haut{sf::Keyboard::Up, "haut", 0.f, -0.25f, 0};
const Fleche bas{sf::Keyboard::Down, "bas", 0.f, 0.25f, 2};

// Enough on the step clock that a restart after the press can be told from no restart.
const sf::Time avance = sf::milliseconds(20);

std::string nomFleche(sf::Keyboard::Key touche) {
    for (const Fleche* f : {&droite, &gauche, &haut, &bas})
        if (f->touche == touche)
            return f->mot;
    return "touche " + std::to_string(static_cast<int>(touche));
}

// Everything a press may change, to check that a refused one changed nothing.
struct Instantane {
    sf::Vector2f position;
    Cadre cadre;
    int compteur;
    std::string direction;
    sf::Time timer;
    sf::Vector2f centre_vue;
    float local_x;
    float local_y;

    explicit Instantane(const Niveau& n)
        : position(n.position()), cadre(n.cadre()), compteur(n.perso.getFrameActuelle()),
          direction(n.etat.direction_precedente), timer(n.etat.timer), centre_vue(n.etat.view.getCenter()),
          local_x(n.etat.local_x), local_y(n.etat.local_y) {}
};

void attendInchange(const Instantane& avant, const Niveau& n) {
    const Instantane apres(n);
    EXPECT_EQ(apres.position, avant.position);
    EXPECT_EQ(apres.cadre, avant.cadre);
    EXPECT_EQ(apres.compteur, avant.compteur);
    EXPECT_EQ(apres.direction, avant.direction);
    EXPECT_EQ(apres.timer, avant.timer);
    EXPECT_EQ(apres.centre_vue, avant.centre_vue);
    EXPECT_EQ(apres.local_x, avant.local_x);
    EXPECT_EQ(apres.local_y, avant.local_y);
}

// The step clock's reading just before a call, and a stopwatch started then: afterwards they tell
// whether the call restarted the clock, however long the call took.
struct Chrono {
    explicit Chrono(const Niveau& n) : lu_avant(n.etat.clock.getElapsedTime()) {}
    sf::Time lu_avant;
    sf::Clock depuis;
};

void attendRedemarrage(const Niveau& n, const Chrono& c) {
    const sf::Time lu = n.etat.clock.getElapsedTime();
    EXPECT_LE(lu, c.depuis.getElapsedTime()) << "the step clock was not restarted";
    EXPECT_GE(n.etat.timer, c.lu_avant) << "timer does not hold the interval that the restart ended";
}

void attendSansRedemarrage(const Niveau& n, const Chrono& c) {
    EXPECT_GE(n.etat.clock.getElapsedTime(), c.lu_avant) << "the step clock was restarted";
}

TEST(EtatDeDepart, PasDUnQuartDeTuileEtVueAuCoinDuNiveau) {
    const struct {
        unsigned tile_largeur, tile_hauteur;
        float cran_x, cran_y;
    } cas[] = {{48, 48, 12.f, 12.f}, {32, 64, 8.f, 16.f}};
    for (const auto& c : cas) {
        SCOPED_TRACE(std::to_string(c.tile_largeur) + " x " + std::to_string(c.tile_hauteur));
        Niveau n(10, 8, {}, c.tile_largeur, c.tile_hauteur);
        EXPECT_EQ(n.etat.cran_x, c.cran_x);
        EXPECT_EQ(n.etat.cran_y, c.cran_y);
        EXPECT_EQ(n.etat.local_x, 1.f);
        EXPECT_EQ(n.etat.local_y, 1.f);
        EXPECT_EQ(n.etat.echelle_x, 1.f);
        EXPECT_EQ(n.etat.echelle_y, 1.f);
        EXPECT_EQ(n.etat.view.getCenter(), sf::Vector2f(360.f, 168.f));
        EXPECT_EQ(n.etat.view.getSize(), sf::Vector2f(720.f, 336.f));
        EXPECT_EQ(n.etat.direction_precedente, "");
        EXPECT_EQ(n.perso.getPosition(), sf::Vector2f(48.f, 48.f));
        EXPECT_EQ(n.cadre(), (Cadre{1, 2})) << "the hero starts standing, facing down";
    }
}

TEST(PorteDeRepetition, MemeDirectionSeulementApresPlusDeCentMillisecondes) {
    const struct {
        const char* precedente;
        Fleche fleche;
        sf::Time timer;
        bool passe;
    } cas[] = {
        {"", droite, sf::Time::Zero, true}, // the first press after start
        {"droite", droite, sf::milliseconds(100), false},
        {"droite", droite, sf::microseconds(100900), false}, // whole milliseconds: still 100
        {"droite", droite, sf::milliseconds(101), true},
        {"droite", gauche, sf::Time::Zero, true},
        {"gauche", gauche, sf::microseconds(100900), false},
        {"gauche", gauche, sf::milliseconds(101), true},
        {"haut", haut, sf::milliseconds(100), false},
        {"haut", bas, sf::Time::Zero, true},
        {"bas", bas, sf::milliseconds(100), false},
        {"bas", bas, sf::milliseconds(101), true},
        {"bas", haut, sf::Time::Zero, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::string("after \"") + c.precedente + "\", " + c.fleche.mot + " at " +
                     std::to_string(c.timer.asMicroseconds()) + " us");
        Niveau n(10, 8);
        n.place(3, 3);
        n.etat.direction_precedente = c.precedente;
        n.etat.timer = c.timer;
        sf::sleep(avance);
        const Instantane avant(n);
        const Chrono chrono(n);

        n.appui(c.fleche.touche);

        if (!c.passe) {
            attendInchange(avant, n);
            attendSansRedemarrage(n, chrono);
            continue;
        }
        EXPECT_EQ(n.position(), sf::Vector2f(3.f + c.fleche.dx, 3.f + c.fleche.dy));
        EXPECT_EQ(n.cadre(), (Cadre{2, c.fleche.ligne}));
        EXPECT_EQ(n.etat.direction_precedente, c.fleche.mot);
        attendRedemarrage(n, chrono);
    }
}

TEST(PorteDeRepetition, LeRedemarrageOuvreLaPorteAuDeuxiemeAppuiDeLaMemeImage) {
    Niveau n(10, 8);
    n.place(3, 3);
    n.etat.direction_precedente = "droite";
    n.etat.clock.restart();
    sf::sleep(sf::milliseconds(150));
    n.etat.timer = n.etat.clock.getElapsedTime(); // the frame's sample
    ASSERT_GE(n.etat.timer, sf::milliseconds(150));

    const sf::Clock depuis_la_trame;
    n.appui(sf::Keyboard::Right);
    EXPECT_EQ(n.position(), sf::Vector2f(3.25f, 3.f));
    EXPECT_GE(n.etat.timer, sf::milliseconds(150)) << "the restart stores the 150 ms it ended";

    n.appui(sf::Keyboard::Right);
    EXPECT_EQ(n.position(), sf::Vector2f(3.5f, 3.f));
    EXPECT_LE(n.etat.timer, depuis_la_trame.getElapsedTime()) << "timer holds more than the last interval";
    if (n.etat.timer.asMilliseconds() > 100)
        GTEST_SKIP() << "the machine stalled for more than 100 ms between two presses";

    const Instantane avant(n);
    n.appui(sf::Keyboard::Right);
    attendInchange(avant, n);
}

TEST(PorteDeRepetition, UnAppuiBloqueRedemarreAussiLHorloge) {
    Niveau n(10, 8, {{4, 2}});
    n.place(3, 2);
    n.perso.anime("bas", false); // walking, so that the standing frame is seen to come back
    sf::sleep(avance);
    const Chrono chrono(n);

    n.appui(sf::Keyboard::Right);
    EXPECT_EQ(n.position(), sf::Vector2f(3.f, 2.f));
    EXPECT_EQ(n.etat.direction_precedente, "droite");
    EXPECT_EQ(n.cadre(), (Cadre{1, 1}));
    EXPECT_EQ(n.perso.getFrameActuelle(), 1);
    attendRedemarrage(n, chrono);

    // The cell is freed, but in a later frame still within 100 ms the gate refuses the same arrow.
    n.presences[4 + 10 * 2] = false;
    n.etat.timer = n.etat.clock.getElapsedTime();
    if (n.etat.timer.asMilliseconds() > 100)
        GTEST_SKIP() << "the machine stalled for more than 100 ms since the press";
    const Instantane avant(n);
    n.appui(sf::Keyboard::Right);
    attendInchange(avant, n);

    n.etat.timer = sf::milliseconds(101);
    n.appui(sf::Keyboard::Right);
    EXPECT_EQ(n.position(), sf::Vector2f(3.25f, 2.f));
}

TEST(Relachement, CadreDeReposPourLaDerniereDirectionEtHorlogeToujoursRedemarree) {
    const struct {
        Fleche appui;
        sf::Keyboard::Key relachee;
        bool repos; ///< the standing frame of the pressed direction comes back
    } cas[] = {
        {droite, sf::Keyboard::Right, true}, {gauche, sf::Keyboard::Left, true},   {haut, sf::Keyboard::Up, true},
        {bas, sf::Keyboard::Down, true},     {gauche, sf::Keyboard::Right, false}, {droite, sf::Keyboard::Left, false},
        {droite, sf::Keyboard::A, false},    {bas, sf::Keyboard::Space, false},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::string(c.appui.mot) + " pressed, " + nomFleche(c.relachee) + " released");
        Niveau n(10, 8);
        n.place(3, 3);
        n.appui(c.appui.touche);
        const sf::Vector2f arrivee(3.f + c.appui.dx, 3.f + c.appui.dy);
        ASSERT_EQ(n.position(), arrivee);
        ASSERT_EQ(n.cadre(), (Cadre{2, c.appui.ligne}));

        sf::sleep(sf::milliseconds(110));
        const Chrono chrono(n);
        gereRelache(c.relachee, n.etat, n.perso);

        EXPECT_EQ(n.cadre(), (Cadre{c.repos ? 1 : 2, c.appui.ligne}));
        EXPECT_EQ(n.perso.getFrameActuelle(), 2) << "a release leaves the walk counter alone";
        EXPECT_EQ(n.etat.direction_precedente, c.appui.mot);
        EXPECT_EQ(n.position(), arrivee);
        attendRedemarrage(n, chrono);

        // Without the restart the clock would show more than 100 ms in the next frame.
        n.etat.timer = n.etat.clock.getElapsedTime();
        if (n.etat.timer.asMilliseconds() > 100)
            GTEST_SKIP() << "the machine stalled for more than 100 ms since the release";
        n.appui(c.appui.touche);
        EXPECT_EQ(n.position(), arrivee) << "the same arrow passed the gate right after the release";

        // The walk goes on from where it stopped: column 0 after column 2.
        n.etat.timer = sf::milliseconds(101);
        n.appui(c.appui.touche);
        EXPECT_EQ(n.position(), sf::Vector2f(arrivee.x + c.appui.dx, arrivee.y + c.appui.dy));
        EXPECT_EQ(n.cadre(), (Cadre{0, c.appui.ligne}));
    }
}

TEST(Appui, UneToucheAutreQuUneFlecheNeChangeRien) {
    for (sf::Keyboard::Key touche :
         {sf::Keyboard::A, sf::Keyboard::Space, sf::Keyboard::Escape, sf::Keyboard::Numpad6, sf::Keyboard::Unknown}) {
        SCOPED_TRACE(nomFleche(touche));
        Niveau n(10, 8);
        n.place(3, 3);
        n.perso.anime("droite", false);
        n.etat.direction_precedente = "droite";
        n.etat.timer = sf::milliseconds(101); // an arrow would pass now
        sf::sleep(avance);
        const Instantane avant(n);
        const Chrono chrono(n);

        n.appui(touche);

        attendInchange(avant, n);
        attendSansRedemarrage(n, chrono);
    }
}

// One press from a chosen tile position, accepted or refused by the border guard or the blocking
// test; either way it passed the gate.
struct CasDePas {
    const char* nom;
    Fleche fleche;
    sf::Vector2f depart;
    Cellules bloquees;
    bool bouge;
};

void verifiePas(const CasDePas& c, int largeur, int hauteur, unsigned tile_largeur = 48, unsigned tile_hauteur = 48) {
    SCOPED_TRACE(c.nom);
    Niveau n(largeur, hauteur, c.bloquees, tile_largeur, tile_hauteur);
    n.place(c.depart.x, c.depart.y);
    n.perso.anime("gauche", false); // walking, counter 2
    const Instantane avant(n);
    sf::sleep(avance);
    const Chrono chrono(n);

    n.appui(c.fleche.touche);

    EXPECT_EQ(n.etat.direction_precedente, c.fleche.mot);
    attendRedemarrage(n, chrono);
    if (c.bouge) {
        EXPECT_EQ(n.position(), sf::Vector2f(c.depart.x + c.fleche.dx, c.depart.y + c.fleche.dy));
        EXPECT_EQ(n.cadre(), (Cadre{0, c.fleche.ligne}));
    } else {
        EXPECT_EQ(n.position(), c.depart);
        EXPECT_EQ(n.cadre(), (Cadre{1, c.fleche.ligne})) << "a stopped press shows the standing frame";
        EXPECT_EQ(n.perso.getFrameActuelle(), 1);
        EXPECT_EQ(n.etat.view.getCenter(), avant.centre_vue);
        EXPECT_EQ(n.etat.local_x, avant.local_x);
        EXPECT_EQ(n.etat.local_y, avant.local_y);
    }
}

TEST(GardeDesBords, LeHerosResteEntreUnEtLaTailleMoinsDeux) {
    // 10 x 8 cells: columns 1 to 8 and rows 1 to 6 are open to the hero.
    const CasDePas cas[] = {
        {"right at W-2", droite, {8.f, 3.f}, {}, false}, {"right at W-2.25", droite, {7.75f, 3.f}, {}, true},
        {"left at 1", gauche, {1.f, 3.f}, {}, false},    {"left at 1.25", gauche, {1.25f, 3.f}, {}, true},
        {"up at 1", haut, {3.f, 1.f}, {}, false},        {"up at 1.25", haut, {3.f, 1.25f}, {}, true},
        {"down at H-2", bas, {3.f, 6.f}, {}, false},     {"down at H-2.25", bas, {3.f, 5.75f}, {}, true},
    };
    for (const CasDePas& c : cas)
        verifiePas(c, 10, 8);
}

// Every cell of a W x H level.
Cellules toutes(int largeur, int hauteur) {
    Cellules cellules;
    for (int y = 0; y < hauteur; ++y)
        for (int x = 0; x < largeur; ++x)
            cellules.insert({x, y});
    return cellules;
}

TEST(Blocage, UneCaseBloqueeNArreteQueLeHerosAligneSurLaGrille) {
    // A hero part-way across a cell along its way moves on even with every cell of the level blocked.
    const Cellules tout = toutes(10, 8);
    const CasDePas cas[] = {
        {"right from (3,2), (4,2) blocked", droite, {3.f, 2.f}, {{4, 2}}, false},
        {"right from (3,2), (4,2) free", droite, {3.f, 2.f}, {{4, 3}, {4, 1}, {2, 2}}, true},
        {"right from (3,2.5), (4,2) blocked", droite, {3.f, 2.5f}, {{4, 2}}, false},
        {"right from (3,2.5), (4,3) blocked", droite, {3.f, 2.5f}, {{4, 3}}, false},
        {"right from (3,2.5), both free", droite, {3.f, 2.5f}, {{4, 1}, {4, 4}}, true},
        {"right from (3.25,2) part-way", droite, {3.25f, 2.f}, tout, true},
        {"right from (3.25,2.5) part-way", droite, {3.25f, 2.5f}, tout, true},
        {"left from (3,2), (2,2) blocked", gauche, {3.f, 2.f}, {{2, 2}}, false},
        {"left from (3,2), (2,2) free", gauche, {3.f, 2.f}, {{2, 3}, {2, 1}, {4, 2}}, true},
        {"left from (3,2.5), (2,2) blocked", gauche, {3.f, 2.5f}, {{2, 2}}, false},
        {"left from (3,2.5), (2,3) blocked", gauche, {3.f, 2.5f}, {{2, 3}}, false},
        {"left from (3.25,2) part-way", gauche, {3.25f, 2.f}, tout, true},
        {"left from (3.25,2.5) part-way", gauche, {3.25f, 2.5f}, tout, true},
        {"up from (3,2), (3,1) blocked", haut, {3.f, 2.f}, {{3, 1}}, false},
        {"up from (3,2), (3,1) free", haut, {3.f, 2.f}, {{2, 1}, {4, 1}, {3, 3}}, true},
        {"up from (3.25,2), (3,1) blocked", haut, {3.25f, 2.f}, {{3, 1}}, false},
        {"up from (3.25,2), (4,1) blocked", haut, {3.25f, 2.f}, {{4, 1}}, false},
        {"up from (3.25,2), both free", haut, {3.25f, 2.f}, {{2, 1}, {5, 1}}, true},
        {"up from (3,2.25) part-way", haut, {3.f, 2.25f}, tout, true},
        {"up from (3.25,2.25) part-way", haut, {3.25f, 2.25f}, tout, true},
        {"down from (3,2), (3,3) blocked", bas, {3.f, 2.f}, {{3, 3}}, false},
        {"down from (3,2), (3,3) free", bas, {3.f, 2.f}, {{2, 3}, {4, 3}, {3, 1}}, true},
        {"down from (3.25,2), (4,3) blocked", bas, {3.25f, 2.f}, {{4, 3}}, false},
        {"down from (3.25,2), both free", bas, {3.25f, 2.f}, {{2, 3}, {5, 3}}, true},
        {"down from (3,2.25) part-way", bas, {3.f, 2.25f}, tout, true},
        {"down from (3.25,2.25) part-way", bas, {3.25f, 2.25f}, tout, true},
    };
    for (const CasDePas& c : cas)
        verifiePas(c, 10, 8);
}

TEST(Blocage, HautEtBasLisentLaPresenceAvecLaLigneNonTronquee) {
    // Tiles of 96 pixels under a 48-pixel hero: the hero can be a fraction of a row down without
    // touching the next row, so the presence entry alone decides. Up and down read the entry
    // float(W) * (perso_y -/+ 1) + column, the row term keeping its fraction: with W = 8 that entry
    // lies two or four cells to the right of the one below or above the hero.
    const CasDePas cas[] = {
        {"down from (1,1.25) reads entry 8*2.25+1 = cell (3,2)", bas, {1.f, 1.25f}, {{3, 2}}, false},
        {"down from (1,1.25) ignores cell (1,2)", bas, {1.f, 1.25f}, {{1, 2}}, true},
        {"up from (1.25,2.5) reads entry 8*1.5+2 = cell (6,1)", haut, {1.25f, 2.5f}, {{6, 1}}, false},
        {"up from (1.25,2.5) ignores cell (2,1)", haut, {1.25f, 2.5f}, {{2, 1}}, true},
    };
    for (const CasDePas& c : cas)
        verifiePas(c, 8, 6, 96, 96);
}

TEST(Animation, LaMarcheMontreLesColonnesDeuxZeroUnPuisLeReposQuandBloque) {
    Niveau n(10, 8, {{3, 3}});
    n.place(1, 3);
    const int colonnes[] = {2, 0, 1, 2};
    for (int colonne : colonnes) {
        n.etat.timer = sf::milliseconds(101);
        n.appui(sf::Keyboard::Right);
        EXPECT_EQ(n.cadre(), (Cadre{colonne, 1}));
        EXPECT_EQ(n.perso.getFrameActuelle(), colonne);
    }
    ASSERT_EQ(n.position(), sf::Vector2f(2.f, 3.f));

    n.etat.timer = sf::milliseconds(101);
    n.appui(sf::Keyboard::Right); // cell (3,3) is blocked
    EXPECT_EQ(n.position(), sf::Vector2f(2.f, 3.f));
    EXPECT_EQ(n.cadre(), (Cadre{1, 1}));

    n.appui(sf::Keyboard::Down); // another direction passes at once and walks from column 2 again
    EXPECT_EQ(n.position(), sf::Vector2f(2.f, 3.25f));
    EXPECT_EQ(n.cadre(), (Cadre{2, 2}));
}

} // namespace
