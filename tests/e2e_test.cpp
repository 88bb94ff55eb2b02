// End-to-end tests of the real game: every test starts its own virtual X server, runs the orpa
// binary in a folder of files it has just written (level, tileset, hero sheet, each in solid
// colours so that pixels can be checked exactly) and watches the window through Xlib, pressing
// keys with XTest.

#include <gtest/gtest.h>

#include <SFML/Graphics/Image.hpp>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "outils_test.hpp"

// Xlib last: its macros (None, Status, Bool...) would clash with the C++ headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace fs = std::filesystem;
using outils::Horloge;
using namespace std::chrono_literals;

namespace {

// Generous: the same tests run against a build with AddressSanitizer on a busy machine.
const auto delai_max = 20s;
const auto intervalle_sondage = 10ms;

// ---------------------------------------------------------------------------------------------
// The fixture's colours and the picture the game should show.

struct Couleur {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Couleur& autre) const { return r == autre.r && g == autre.g && b == autre.b; }
};

std::ostream& operator<<(std::ostream& flux, const Couleur& c) {
    return flux << '(' << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ')';
}

const Couleur noir{0, 0, 0};

// Tileset: 4 columns x 2 rows of 48-pixel tiles, numbered row by row. Blue stays 0 in every tile
// so that the hero's colours (blue 200 or 255) can be told apart from the floor.
const std::array<Couleur, 8> couleurs_tuiles = {
    {{200, 40, 0}, {40, 200, 0}, {200, 200, 0}, {120, 60, 0}, {60, 120, 0}, {240, 120, 0}, {120, 240, 0}, {90, 90, 0}}};

// Hero sheet: frames of 24 x 32, each a solid colour that names its column and row, with a white
// 6 x 8 mark in its top-left corner. Shown at 48 x 48, the mark covers exactly 12 x 12 pixels,
// which shows the x2 and x1.5 stretch and that the cut starts on the frame's corner.
const Couleur marque{255, 255, 255};
const int largeur_marque = 6;
const int hauteur_marque = 8;

Couleur couleurCadre(int colonne, int ligne) {
    return {std::uint8_t(60 + 80 * colonne), std::uint8_t(50 + 60 * ligne), 200};
}

int numeroTuile(int x, int y) {
    return (x + 3 * y) % 8;
}

struct Niveau {
    int largeur;
    int hauteur;
    std::vector<std::pair<int, int>> obstacles; ///< blocked cells (x, y) of the presence grid
};

// What the window should show: the view's 720 x 336 world region stretched over the window,
// the tiles, black beyond the level, and the hero on top.
struct Scene {
    Niveau niveau;
    int vue_x = 0, vue_y = 0;       ///< world pixel at the window's top-left corner
    int heros_x = 48, heros_y = 48; ///< hero's top-left corner in world pixels
    int colonne = 1, ligne = 2;     ///< sheet frame on show; the start is standing facing down
    int largeur = 720, hauteur = 336;

    Scene heros(int x, int y, int c, int l) const {
        Scene s = *this;
        s.heros_x = x;
        s.heros_y = y;
        s.colonne = c;
        s.ligne = l;
        return s;
    }
};

Couleur couleurAttendue(const Scene& s, int px, int py) {
    const double wx = s.vue_x + (px + 0.5) * 720.0 / s.largeur;
    const double wy = s.vue_y + (py + 0.5) * 336.0 / s.hauteur;
    if (wx >= s.heros_x && wx < s.heros_x + 48 && wy >= s.heros_y && wy < s.heros_y + 48) {
        const bool dans_marque = wx - s.heros_x < 2 * largeur_marque && wy - s.heros_y < 1.5 * hauteur_marque;
        return dans_marque ? marque : couleurCadre(s.colonne, s.ligne);
    }
    const int cx = static_cast<int>(std::floor(wx / 48));
    const int cy = static_cast<int>(std::floor(wy / 48));
    if (cx < 0 || cy < 0 || cx >= s.niveau.largeur || cy >= s.niveau.hauteur)
        return noir;
    return couleurs_tuiles[numeroTuile(cx, cy)];
}

struct Capture {
    int largeur = 0, hauteur = 0;
    std::vector<Couleur> pixels;
    Couleur at(int x, int y) const { return pixels[static_cast<std::size_t>(y * largeur + x)]; }
};

// Where the hero is seen (bounding box of the pixels with blue in them) and which frame the
// centre of that box shows, to make a failed comparison readable.
std::string decritHeros(const Capture& c) {
    int x0 = c.largeur, y0 = c.hauteur, x1 = -1, y1 = -1;
    for (int y = 0; y < c.hauteur; ++y)
        for (int x = 0; x < c.largeur; ++x)
            if (c.at(x, y).b >= 128) {
                x0 = std::min(x0, x), y0 = std::min(y0, y);
                x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    if (x1 < 0)
        return "no hero seen";
    std::ostringstream texte;
    const Couleur centre = c.at((x0 + x1) / 2, (y0 + y1) / 2);
    texte << "hero seen at (" << x0 << ", " << y0 << ")-(" << x1 + 1 << ", " << y1 + 1 << ") showing " << centre;
    for (int colonne = 0; colonne < 3; ++colonne)
        for (int ligne = 0; ligne < 4; ++ligne)
            if (centre == couleurCadre(colonne, ligne))
                texte << " = column " << colonne << " row " << ligne;
    return texte.str();
}

// Empty when the capture is exactly the scene, else what differs.
std::string ecarts(const Capture& c, const Scene& s) {
    std::ostringstream texte;
    if (c.largeur != s.largeur || c.hauteur != s.hauteur) {
        texte << "window is " << c.largeur << " x " << c.hauteur << ", expected " << s.largeur << " x " << s.hauteur;
        return texte.str();
    }
    int nombre = 0;
    for (int y = 0; y < c.hauteur; ++y)
        for (int x = 0; x < c.largeur; ++x) {
            const Couleur attendue = couleurAttendue(s, x, y);
            if (c.at(x, y) == attendue)
                continue;
            if (nombre++ == 0)
                texte << "first at (" << x << ", " << y << "): " << c.at(x, y) << " instead of " << attendue << "; ";
        }
    if (nombre == 0)
        return {};
    texte << nombre << " pixels differ; " << decritHeros(c) << "; expected hero at (" << s.heros_x - s.vue_x << ", "
          << s.heros_y - s.vue_y << ") world-to-window, column " << s.colonne << " row " << s.ligne << ", view at ("
          << s.vue_x << ", " << s.vue_y << ")";
    return texte.str();
}

// ---------------------------------------------------------------------------------------------
// The fixture folder: the three files the game opens, relative to its working directory.

class Dossier {
public:
    Dossier() {
        fs::create_directories(chemin() / "map");
        fs::create_directories(chemin() / "tilesets");
    }

    const fs::path& chemin() const { return m_dossier.chemin(); }

    void ecrisNiveau(const Niveau& niveau) const {
        std::ofstream fichier(chemin() / "map" / "base_map.txt");
        fichier << "tilesets/decor_essai.png|48|48|" << niveau.largeur << '|' << niveau.hauteur << '\n';
        for (int y = 0; y < niveau.hauteur; ++y)
            for (int x = 0; x < niveau.largeur; ++x)
                fichier << numeroTuile(x, y) << (x + 1 < niveau.largeur ? "|" : "\n");
        for (int y = 0; y < niveau.hauteur; ++y)
            for (int x = 0; x < niveau.largeur; ++x) {
                bool bloque = false;
                for (const auto& [ox, oy] : niveau.obstacles)
                    bloque = bloque || (ox == x && oy == y);
                fichier << (bloque ? "1" : "0") << (x + 1 < niveau.largeur ? "|" : "\n");
            }
    }

    void ecrisTileset() const {
        sf::Image image;
        image.create(4 * 48, 2 * 48);
        for (unsigned y = 0; y < image.getSize().y; ++y)
            for (unsigned x = 0; x < image.getSize().x; ++x) {
                const Couleur c = couleurs_tuiles[(x / 48) + 4 * (y / 48)];
                image.setPixel(x, y, sf::Color(c.r, c.g, c.b));
            }
        enregistre(image, chemin() / "tilesets" / "decor_essai.png");
    }

    void ecrisHeros() const {
        sf::Image image;
        image.create(3 * 24, 4 * 32);
        for (unsigned y = 0; y < image.getSize().y; ++y)
            for (unsigned x = 0; x < image.getSize().x; ++x) {
                const bool dans_marque = x % 24 < largeur_marque && y % 32 < hauteur_marque;
                const Couleur c = dans_marque ? marque : couleurCadre(int(x / 24), int(y / 32));
                image.setPixel(x, y, sf::Color(c.r, c.g, c.b));
            }
        enregistre(image, chemin() / "tilesets" / "Pelmur.png");
    }

    void ecrisTout(const Niveau& niveau) const {
        ecrisNiveau(niveau);
        ecrisTileset();
        ecrisHeros();
    }

private:
    static void enregistre(const sf::Image& image, const fs::path& chemin) {
        if (!image.saveToFile(chemin.string()))
            throw std::runtime_error("cannot write " + chemin.string());
    }

    outils::DossierTemp m_dossier;
};

// ---------------------------------------------------------------------------------------------
// The game under watch.

// Xlib's default handler ends the process; a window that goes away under a request is expected.
int ignoreErreurX(Display*, XErrorEvent*) {
    return 0;
}

// This process's connection to `serveur`.
Display* connecte(const outils::ServeurX& serveur) {
    XSetErrorHandler(ignoreErreurX);
    Display* display = XOpenDisplay(serveur.nom().c_str());
    if (!display)
        throw std::runtime_error("cannot connect to " + serveur.nom());
    return display;
}

// The environment of this process with the display set to `serveur`.
std::vector<std::string> environnementSur(const outils::ServeurX& serveur) {
    std::vector<std::string> env = outils::environnement(false);
    env.push_back("DISPLAY=" + serveur.nom());
    return env;
}

// The running game: started in the fixture folder on a private server, watched and driven
// through its own client connection, and always reaped. The connection is made first: a server
// left without clients while the game starts up would reset under it.
class Partie {
public:
    Partie(const outils::ServeurX& serveur, const Dossier& dossier)
        : m_display(connecte(serveur)), m_jeu(ORPA_BINAIRE, {}, dossier.chemin(), environnementSur(serveur)) {}

    ~Partie() { XCloseDisplay(m_display); }
    Partie(const Partie&) = delete;
    Partie& operator=(const Partie&) = delete;

    /// Waits until the window titled "Orpa SFML" is on screen, then gives it the keyboard focus
    /// (there is no window manager to do it) and turns the server's key repeat off, so that a key
    /// held while the test looks at the picture makes one press.
    ::testing::AssertionResult attendsFenetre() {
        const auto fin = Horloge::now() + delai_max;
        while (Horloge::now() < fin) {
            if (const auto code = m_jeu.attends(Horloge::now())) {
                return ::testing::AssertionFailure()
                       << "the game ended with " << *code << " before showing its window; "
                       << "stderr: " << erreurs();
            }
            const Window w = cherche(DefaultRootWindow(m_display));
            XWindowAttributes attributs;
            if (w && XGetWindowAttributes(m_display, w, &attributs) && attributs.map_state == IsViewable) {
                m_fenetre = w;
                XSetInputFocus(m_display, w, RevertToPointerRoot, CurrentTime);
                XAutoRepeatOff(m_display);
                XSync(m_display, False);
                return ::testing::AssertionSuccess();
            }
            std::this_thread::sleep_for(intervalle_sondage);
        }
        return ::testing::AssertionFailure() << "no window titled \"Orpa SFML\" within the time limit";
    }

    Window fenetre() const { return m_fenetre; }
    Display* display() const { return m_display; }

    Capture capture() const {
        Capture c;
        XWindowAttributes attributs;
        if (!XGetWindowAttributes(m_display, m_fenetre, &attributs))
            return c;
        XImage* image = XGetImage(m_display, m_fenetre, 0, 0, unsigned(attributs.width), unsigned(attributs.height),
                                  AllPlanes, ZPixmap);
        if (!image)
            return c;
        c.largeur = attributs.width;
        c.hauteur = attributs.height;
        c.pixels.reserve(std::size_t(c.largeur) * std::size_t(c.hauteur));
        for (int y = 0; y < c.hauteur; ++y)
            for (int x = 0; x < c.largeur; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                c.pixels.push_back(
                    {canal(p, image->red_mask), canal(p, image->green_mask), canal(p, image->blue_mask)});
            }
        XDestroyImage(image);
        return c;
    }

    /// Polls the window until it shows exactly `scene`.
    ::testing::AssertionResult attendsImage(const Scene& scene) const {
        const auto fin = Horloge::now() + delai_max;
        std::string ecart;
        do {
            ecart = ecarts(capture(), scene);
            if (ecart.empty())
                return ::testing::AssertionSuccess();
            std::this_thread::sleep_for(intervalle_sondage);
        } while (Horloge::now() < fin);
        return ::testing::AssertionFailure() << ecart;
    }

    void touche(KeySym symbole, bool appuyee) const {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, symbole), appuyee ? True : False, CurrentTime);
        XFlush(m_display);
    }

    /// What a window manager sends when the close button is clicked.
    void demandeFermeture() const {
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = m_fenetre;
        message.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
        message.xclient.format = 32;
        message.xclient.data.l[0] = long(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
        message.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, m_fenetre, False, NoEventMask, &message);
        XFlush(m_display);
    }

    /// The exit status once the game has ended; nothing, and the game killed, when it is still
    /// running after the time limit.
    std::optional<int> attendsFin() {
        const std::optional<int> code = m_jeu.attends(Horloge::now() + delai_max);
        if (!code)
            m_jeu.tue();
        return code;
    }

    std::string sortie() const { return m_jeu.sortie(); }
    std::string erreurs() const { return m_jeu.erreurs(); }

private:
    static std::uint8_t canal(unsigned long pixel, unsigned long masque) {
        if (masque == 0)
            return 0;
        int decalage = 0;
        while (!((masque >> decalage) & 1UL))
            ++decalage;
        return std::uint8_t((pixel & masque) >> decalage);
    }

    bool porteLeTitre(Window w) const {
        const char* titre = "Orpa SFML";
        Atom type;
        int format;
        unsigned long nombre, reste;
        unsigned char* donnees = nullptr;
        bool trouve = false;
        if (XGetWindowProperty(m_display, w, XInternAtom(m_display, "_NET_WM_NAME", False), 0, 64, False,
                               XInternAtom(m_display, "UTF8_STRING", False), &type, &format, &nombre, &reste,
                               &donnees) == Success &&
            donnees) {
            trouve = std::string(reinterpret_cast<char*>(donnees), nombre) == titre;
            XFree(donnees);
        }
        char* nom = nullptr;
        if (!trouve && XFetchName(m_display, w, &nom) && nom) {
            trouve = std::string(nom) == titre;
            XFree(nom);
        }
        return trouve;
    }

    Window cherche(Window w) const {
        if (porteLeTitre(w))
            return w;
        Window racine, parent, *enfants = nullptr;
        unsigned nombre = 0;
        Window trouvee = 0;
        if (XQueryTree(m_display, w, &racine, &parent, &enfants, &nombre)) {
            for (unsigned i = 0; i < nombre && !trouvee; ++i)
                trouvee = cherche(enfants[i]);
            if (enfants)
                XFree(enfants);
        }
        return trouvee;
    }

    Display* m_display;
    outils::Processus m_jeu;
    Window m_fenetre = 0;
};

// One press of an arrow, the picture while it is held, its release and the picture after; then
// a pause past the game's 100 ms repeat gate, counted from the release.
::testing::AssertionResult pas(const Partie& partie, KeySym fleche, const Scene& tenue, const Scene& relachee) {
    partie.touche(fleche, true);
    if (auto r = partie.attendsImage(tenue); !r)
        return ::testing::AssertionFailure() << "while the key is held: " << r.message();
    partie.touche(fleche, false);
    if (auto r = partie.attendsImage(relachee); !r)
        return ::testing::AssertionFailure() << "after the release: " << r.message();
    std::this_thread::sleep_for(200ms);
    return ::testing::AssertionSuccess();
}

// Walk frames shown by successive accepted or refused presses from the start: columns 2, 0, 1...
int colonneMarche(int pas_numero) {
    return std::array<int, 3>{2, 0, 1}[(pas_numero - 1) % 3];
}

const Niveau grand_niveau{30, 20, {}};

// ---------------------------------------------------------------------------------------------

// Every test runs the game in a fresh folder on a server of its own.
class JeuComplet : public ::testing::Test {
protected:
    // Starts the game on the files written so far.
    Partie& lance() { return m_partie.emplace(m_serveur, m_dossier); }

    // Writes every file the game opens, with `niveau` for the level, and starts the game.
    Partie& lanceSur(const Niveau& niveau) {
        m_dossier.ecrisTout(niveau);
        return lance();
    }

    outils::ServeurX m_serveur;
    Dossier m_dossier;
    std::optional<Partie> m_partie;
};

TEST_F(JeuComplet, FenetreTitreeEtALaTailleDeDepart) {
    Partie& partie = lanceSur(grand_niveau);
    ASSERT_TRUE(partie.attendsFenetre());

    XWindowAttributes attributs;
    ASSERT_TRUE(XGetWindowAttributes(partie.display(), partie.fenetre(), &attributs));
    EXPECT_EQ(attributs.width, 720);
    EXPECT_EQ(attributs.height, 336);
}

TEST_F(JeuComplet, PremiereImageMontreLeNiveauEtLeHerosDebout) {
    const Niveau petit{12, 5, {}}; // smaller than the 15 x 7 cells of the view both ways
    Partie& partie = lanceSur(petit);
    ASSERT_TRUE(partie.attendsFenetre());
    ASSERT_TRUE(partie.attendsImage(Scene{petit}));

    // A few cells named by hand, so that the picture model above is checked against the fixture.
    const Capture c = partie.capture();
    struct Point {
        int x, y;
        Couleur attendue;
        const char* quoi;
    };
    const Point points[] = {
        {2, 2, couleurs_tuiles[0], "cell (0, 0), tile 0, near its top-left corner"},
        {45, 45, couleurs_tuiles[0], "cell (0, 0) near its bottom-right corner"},
        {48 * 4 + 24, 24, couleurs_tuiles[4], "cell (4, 0): tile 4 is the first of the tileset's second row"},
        {48 * 2 + 24, 48 * 1 + 24, couleurs_tuiles[5], "cell (2, 1), tile 5"},
        {48 * 11 + 47, 48 * 4 + 47, couleurs_tuiles[(11 + 12) % 8], "last pixel of the level"},
        {48 * 12, 24, noir, "cell (12, 0), right of the level"},
        {24, 48 * 5, noir, "cell (0, 5), below the level"},
        {719, 335, noir, "window's bottom-right pixel"},
        {48, 48, marque, "hero's top-left pixel: the frame's mark"},
        {48 + 11, 48 + 11, marque, "mark's last pixel: 6 x 8 sheet pixels shown as 12 x 12"},
        {48 + 12, 48 + 11, couleurCadre(1, 2), "right of the mark: column 1, row 2, standing facing down"},
        {48 + 11, 48 + 12, couleurCadre(1, 2), "below the mark"},
        {95, 95, couleurCadre(1, 2), "hero's bottom-right pixel"},
        {96, 95, couleurs_tuiles[numeroTuile(2, 1)], "right of the hero: cell (2, 1)"},
        {95, 96, couleurs_tuiles[numeroTuile(1, 2)], "below the hero: cell (1, 2)"},
    };
    for (const Point& p : points) {
        SCOPED_TRACE(p.quoi);
        EXPECT_EQ(c.at(p.x, p.y), p.attendue) << "at (" << p.x << ", " << p.y << ")";
    }
}

TEST_F(JeuComplet, BoutonDeFermetureTermineAvecLeCodeZero) {
    Partie& partie = lanceSur(grand_niveau);
    ASSERT_TRUE(partie.attendsFenetre());
    ASSERT_TRUE(partie.attendsImage(Scene{grand_niveau})); // running its frame loop

    partie.demandeFermeture();
    const std::optional<int> code = partie.attendsFin();
    ASSERT_TRUE(code) << "still running after the close request";
    EXPECT_EQ(*code, 0) << partie.erreurs();
    EXPECT_EQ(partie.sortie(), "");
}

struct DemarrageRate {
    const char* nom;
    bool niveau, tileset, heros;
    const char* sortie;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DemarrageRate& cas, std::ostream* flux) {
    *flux << cas.nom;
}

class JeuCompletSansFichier : public JeuComplet, public ::testing::WithParamInterface<DemarrageRate> {};

TEST_P(JeuCompletSansFichier, TermineAvecMoinsUn) {
    const DemarrageRate& cas = GetParam();
    if (cas.niveau)
        m_dossier.ecrisNiveau(grand_niveau);
    if (cas.tileset)
        m_dossier.ecrisTileset();
    if (cas.heros)
        m_dossier.ecrisHeros();
    Partie& partie = lance();

    const std::optional<int> code = partie.attendsFin();
    ASSERT_TRUE(code) << "still running with a missing file";
    EXPECT_EQ(*code, 255) << partie.erreurs(); // main's -1
    EXPECT_EQ(partie.sortie(), cas.sortie);
}

INSTANTIATE_TEST_SUITE_P(, JeuCompletSansFichier,
                         ::testing::Values(DemarrageRate{"Niveau", false, true, true, "Erreur chargement niveau\n"},
                                           DemarrageRate{"Tileset", true, false, true, ""},
                                           DemarrageRate{"FeuilleDuHeros", true, true, false, ""}),
                         outils::nomDuCas<DemarrageRate>);

TEST_F(JeuComplet, MarcheAnimationEtDefilementDeLaVue) {
    Partie& partie = lanceSur(grand_niveau);
    ASSERT_TRUE(partie.attendsFenetre());
    Scene scene{grand_niveau};
    ASSERT_TRUE(partie.attendsImage(scene));

    // Right from (1, 1) to (9, 1) in 32 quarter-tile steps: the view stays. The step from 9 is the
    // first to scroll; from then on the view takes the step and the hero keeps his window place.
    int numero = 0;
    for (; numero < 34; ++numero) {
        const int x = 48 + 12 * (numero + 1);
        scene.vue_x = std::max(0, x - 432);
        SCOPED_TRACE("right step " + std::to_string(numero + 1));
        ASSERT_TRUE(pas(partie, XK_Right, scene.heros(x, 48, colonneMarche(numero + 1), 1), scene.heros(x, 48, 1, 1)));
    }

    // Every other direction: the walk cycle goes on across the turns, each with its own sheet row,
    // and the release shows that row's standing frame. None of these steps moves the view.
    struct Tour {
        KeySym fleche;
        int dx, dy, ligne;
        const char* nom;
    };
    const Tour tours[] = {{XK_Down, 0, 12, 2, "down"}, {XK_Left, -12, 0, 3, "left"}, {XK_Up, 0, -12, 0, "up"}};
    int x = 48 + 12 * numero, y = 48;
    for (const Tour& tour : tours) {
        ++numero;
        x += tour.dx, y += tour.dy;
        SCOPED_TRACE(tour.nom);
        ASSERT_TRUE(pas(partie, tour.fleche, scene.heros(x, y, colonneMarche(numero), tour.ligne),
                        scene.heros(x, y, 1, tour.ligne)));
    }
}

TEST_F(JeuComplet, ObstacleArreteLeHerosQuiSeTourneVersLui) {
    const Niveau niveau{8, 6, {{2, 1}}};
    Partie& partie = lanceSur(niveau);
    ASSERT_TRUE(partie.attendsFenetre());
    const Scene scene{niveau};
    ASSERT_TRUE(partie.attendsImage(scene));

    {
        SCOPED_TRACE("right into the blocked cell (2, 1): he stays and faces right");
        ASSERT_TRUE(pas(partie, XK_Right, scene.heros(48, 48, 1, 1), scene.heros(48, 48, 1, 1)));
    }
    {
        SCOPED_TRACE("down is free: the walk cycle starts again at column 2");
        ASSERT_TRUE(pas(partie, XK_Down, scene.heros(48, 60, 2, 2), scene.heros(48, 60, 1, 2)));
    }
    {
        SCOPED_TRACE("right again while straddling rows 1 and 2: (2, 1) still blocks him");
        ASSERT_TRUE(pas(partie, XK_Right, scene.heros(48, 60, 1, 1), scene.heros(48, 60, 1, 1)));
    }
}

TEST_F(JeuComplet, RedimensionnementEtireLaMemeRegionDuMonde) {
    Partie& partie = lanceSur(grand_niveau);
    ASSERT_TRUE(partie.attendsFenetre());
    Scene scene{grand_niveau};
    ASSERT_TRUE(partie.attendsImage(scene));

    // x1.5 across and x2 down: both axes stretch on their own. Moved to the screen's corner too,
    // since the window starts centred and would not fit at that size.
    XMoveResizeWindow(partie.display(), partie.fenetre(), 0, 0, 1080, 672);
    XFlush(partie.display());
    scene.largeur = 1080;
    scene.hauteur = 672;
    ASSERT_TRUE(partie.attendsImage(scene));

    // The step stays a quarter of a world tile: 12 world pixels, 18 window pixels.
    ASSERT_TRUE(pas(partie, XK_Right, scene.heros(60, 48, 2, 1), scene.heros(60, 48, 1, 1)));
}

} // namespace
