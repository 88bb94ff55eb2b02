// orpa-niveau: the level author's companion. `check` reads a level exactly as the game does and lists
// every problem in it; `preview` draws the whole level, with its obstacles and the hero's start
// marked, into a PNG image.

#include <SFML/Graphics.hpp>
#include <SFML/System/Err.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "ArrayMap.hpp"
#include "Demarrage.hpp"
#include "RapportNiveau.hpp"
#include "TileMap.hpp"
#include "ValideNiveau.hpp"

namespace {

const char* const usage_check = "usage: orpa-niveau check FILE";
const char* const usage_preview = "usage: orpa-niveau preview FILE OUT.png [--scale S]";

const char* const aide_outil = R"(usage: orpa-niveau check FILE
       orpa-niveau preview FILE OUT.png [--scale S]
       orpa-niveau [check | preview] --help

Checks and draws Orpa levels with the game's own loader, checks and tile grid. Run it from the
folder the game runs from: the tileset path in a level's header is relative to it.

  check     list every problem of the level, or describe it in one line when the game plays it
  preview   draw the whole level into a PNG image, blocked cells and the hero's start marked

Exit status: 0 when the level is playable (and the preview written), 1 when it is refused or the
preview cannot be made, 2 for a command line that cannot be understood.
)";

const char* const aide_check = R"(usage: orpa-niveau check FILE

Reads the level FILE as the game would and prints either one line that describes it (size in cells
and pixels, tile size, tileset, number of blocked cells, whether the hero's start cell is free) or
every problem found, one a line: "FILE:LINE: where: what is wrong, expected what". Lines count from
1 as editors show them; rows, columns and cells count from 0.

Warnings, marked "warning:", are quirks that the game plays through but that are rarely meant: rows
whose length differs from W (later cells shift), lines and header fields the game ignores, a
presence row ending with "|", tile numbers outside the tileset image, the hero starting on a
blocked cell. They do not change the exit status.

Exit status: 0 when the game plays the level, 1 when it refuses it.
)";

const char* const aide_preview = R"(usage: orpa-niveau preview FILE OUT.png [--scale S]

Draws every cell of the level FILE with the game's own tile grid into the PNG image OUT.png, then
tints each blocked cell red (a translucent overlay with a 1-pixel outline) and frames the hero's
start box, pixels (48, 48) to (96, 96) of the level, in yellow.

  --scale S   draw at S times the level's size in pixels, S a positive number (default 1);
              0.5 halves each side

The image is drawn off-screen through OpenGL, so an X display is needed (for example under
xvfb-run). Each side of the image may be at most the largest texture the graphics driver renders
(sf::Texture::getMaximumSize(), often 8192 or 16384 pixels): a larger level needs a smaller scale.

Exit status: 0 when the image is written, 1 when the level is refused or the image cannot be made.
)";

int erreurUsage(const std::string& raison, const char* usage) {
    std::cerr << "orpa-niveau: " << raison << "\n" << usage << std::endl;
    return 2;
}

bool estOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

// The loader's own line for a file it cannot open goes to standard output, where the tool's report
// is: the report says it in its own words instead.
void litNiveau(ArrayMap& carte, const std::string& fichier) {
    std::streambuf* const tampon = std::cout.rdbuf(nullptr);
    carte.genereMap(fichier);
    std::cout.rdbuf(tampon);
}

void ecrit(std::ostream& flux, const std::string& fichier, const std::vector<ProblemeNiveau>& problemes) {
    for (const ProblemeNiveau& p : problemes)
        flux << formateProbleme(fichier, p) << "\n";
    flux.flush();
}

int check(const std::vector<std::string>& arguments) {
    std::vector<std::string> fichiers;
    for (const std::string& a : arguments) {
        if (a == "--help" || a == "-h") {
            std::cout << aide_check;
            return 0;
        }
        if (estOption(a))
            return erreurUsage("check: unknown option \"" + a + "\"", usage_check);
        fichiers.push_back(a);
    }
    if (fichiers.size() != 1)
        return erreurUsage(fichiers.empty() ? "check: missing FILE" : "check: one FILE only", usage_check);

    const std::string& fichier = fichiers[0];
    ArrayMap carte;
    litNiveau(carte, fichier);
    const sf::Vector2u image = carte.estOuvert() ? tailleImage(carte.m_chemin_tileset) : sf::Vector2u(0, 0);
    const std::vector<ProblemeNiveau> problemes = rapportNiveau(carte, image);
    ecrit(std::cout, fichier, problemes);
    if (contientErreur(problemes))
        return 1;
    std::cout << resumeNiveau(fichier, carte, image) << std::endl;
    return 0;
}

// A positive, finite number written in full, or false.
bool litEchelle(const std::string& texte, double& echelle) {
    const char* debut = texte.c_str();
    char* fin = nullptr;
    echelle = std::strtod(debut, &fin);
    return fin != debut && *fin == '\0' && std::isfinite(echelle) && echelle > 0.0;
}

std::string nombre(double v) {
    std::ostringstream flux;
    flux << v;
    return flux.str();
}

// A whole number of pixels, in full up to sizes anyone would ask for.
std::string pixels(double v) {
    if (v >= 1e15)
        return nombre(v);
    std::ostringstream flux;
    flux << std::fixed << std::setprecision(0) << v;
    return flux.str();
}

// The largest scale with three significant digits at which a side of `cote` pixels fits in `maximum`.
double echelleQuiTient(double cote, double maximum) {
    const double juste = maximum / cote;
    const double pas = std::pow(10.0, std::floor(std::log10(juste)) - 2.0);
    return std::floor(juste / pas) * pas;
}

int preview(const std::vector<std::string>& arguments) {
    std::vector<std::string> positionnels;
    double echelle = 1.0;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--help" || a == "-h") {
            std::cout << aide_preview;
            return 0;
        }
        if (a == "--scale" || a.rfind("--scale=", 0) == 0) {
            std::string valeur;
            if (a == "--scale") {
                if (i + 1 == arguments.size())
                    return erreurUsage("preview: --scale needs a value", usage_preview);
                valeur = arguments[++i];
            } else {
                valeur = a.substr(8);
            }
            if (!litEchelle(valeur, echelle))
                return erreurUsage("preview: --scale \"" + valeur + "\" is not a positive number", usage_preview);
            continue;
        }
        if (estOption(a))
            return erreurUsage("preview: unknown option \"" + a + "\"", usage_preview);
        positionnels.push_back(a);
    }
    if (positionnels.size() != 2) {
        const char* raison = positionnels.empty()       ? "preview: missing FILE and OUT.png"
                             : positionnels.size() == 1 ? "preview: missing OUT.png"
                                                        : "preview: FILE and OUT.png only";
        return erreurUsage(raison, usage_preview);
    }
    const std::string& fichier = positionnels[0];
    const std::string& sortie = positionnels[1];

    ArrayMap carte;
    litNiveau(carte, fichier);
    std::vector<ProblemeNiveau> problemes = verifieNiveau(carte);
    if (contientErreur(problemes)) {
        ecrit(std::cerr, fichier, problemes);
        std::cerr << "orpa-niveau: " << fichier << ": the game refuses this level, no preview written" << std::endl;
        return 1;
    }

    const char* affichage = std::getenv("DISPLAY");
    if (!affichage || !*affichage) {
        std::cerr << "orpa-niveau: preview: no X display (DISPLAY is not set); the image is drawn through OpenGL, "
                     "run it under an X server, e.g. xvfb-run -a orpa-niveau preview ..."
                  << std::endl;
        return 1;
    }

    // Refuse before anything is allocated: the largest levels are far beyond any texture.
    const TailleApercu taille = tailleApercu(carte, echelle);
    const double maximum = sf::Texture::getMaximumSize();
    if (taille.largeur > maximum || taille.hauteur > maximum) {
        const TailleApercu niveau = tailleApercu(carte, 1.0);
        std::cerr << "orpa-niveau: " << fichier << ": the preview at scale " << nombre(echelle) << " would be "
                  << pixels(taille.largeur) << " x " << pixels(taille.hauteur)
                  << " pixels, more than the largest texture the graphics driver renders, " << pixels(maximum)
                  << " pixels per side (sf::Texture::getMaximumSize()); try --scale "
                  << nombre(echelleQuiTient(std::max(niveau.largeur, niveau.hauteur), maximum)) << " or less"
                  << std::endl;
        return 1;
    }
    if (taille.largeur < 1.0 || taille.hauteur < 1.0) {
        std::cerr << "orpa-niveau: " << fichier << ": the preview at scale " << nombre(echelle) << " would be "
                  << pixels(taille.largeur) << " x " << pixels(taille.hauteur)
                  << " pixels, expected at least 1 pixel per side; use a larger --scale" << std::endl;
        return 1;
    }

    // SFML's own lines would repeat, less clearly, what the level checks say.
    std::streambuf* const tampon_sfml = sf::err().rdbuf(nullptr);
    const std::vector<int> level = carte.getLevel();
    TileMap map;
    const bool chargee = chargeGrille(map, carte, level);
    const sf::Vector2u image = chargee ? map.getTailleTileset() : tailleImage(carte.m_chemin_tileset);
    problemes = rapportNiveau(carte, image);
    ecrit(std::cerr, fichier, problemes);
    if (!chargee) {
        sf::err().rdbuf(tampon_sfml);
        // An image that reads but is wider or higher than a texture may be.
        if (!contientErreur(problemes))
            std::cerr << "orpa-niveau: " << fichier << ": the tileset \"" << carte.m_chemin_tileset << "\" (" << image.x
                      << " x " << image.y << " pixels) cannot be made a texture, expected at most "
                      << sf::Texture::getMaximumSize() << " pixels per side" << std::endl;
        std::cerr << "orpa-niveau: " << fichier << ": no preview written" << std::endl;
        return 1;
    }

    sf::RenderTexture cible;
    const bool creee =
        cible.create(static_cast<unsigned int>(taille.largeur), static_cast<unsigned int>(taille.hauteur));
    sf::err().rdbuf(tampon_sfml);
    if (!creee) {
        std::cerr << "orpa-niveau: " << fichier << ": cannot make a " << pixels(taille.largeur) << " x "
                  << pixels(taille.hauteur) << " pixel image to draw into; try a smaller --scale" << std::endl;
        return 1;
    }
    cible.clear(sf::Color::Black);
    dessineApercu(cible, map, carte, carte.getPresences());
    cible.display();

    const sf::Image dessin = cible.getTexture().copyToImage();
    sf::err().rdbuf(nullptr);
    const bool ecrite = dessin.saveToFile(sortie);
    sf::err().rdbuf(tampon_sfml);
    if (!ecrite) {
        std::cerr << "orpa-niveau: cannot write \"" << sortie << "\", expected a writable path ending in .png"
                  << std::endl;
        return 1;
    }
    std::cout << sortie << ": " << dessin.getSize().x << " x " << dessin.getSize().y << " pixels, " << fichier
              << " at scale " << nombre(echelle) << std::endl;
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const char* usage = "usage: orpa-niveau check FILE | preview FILE OUT.png [--scale S] | --help";
    if (arguments.empty())
        return erreurUsage("missing subcommand", usage);
    const std::string& commande = arguments[0];
    const std::vector<std::string> reste(arguments.begin() + 1, arguments.end());
    if (commande == "--help" || commande == "-h") {
        std::cout << aide_outil;
        return 0;
    }
    if (commande == "check")
        return check(reste);
    if (commande == "preview")
        return preview(reste);
    if (estOption(commande))
        return erreurUsage("unknown option \"" + commande + "\"", usage);
    return erreurUsage("unknown subcommand \"" + commande + "\"", usage);
}
