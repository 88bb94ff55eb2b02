#include "ValideNiveau.hpp"

#include "TexteNiveau.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Err.hpp>
#include <algorithm>
#include <ostream>
#include <sstream>

namespace {

// Declarations, not a directive: they overload with the local texte(float) instead of hiding behind it.
using texte_niveau::avertissement;
using texte_niveau::cellule;
using texte_niveau::compte;
using texte_niveau::erreur;
using texte_niveau::texte;

const char* const gabarit_entete = "tileset path|tile width|tile height|W|H";
const char* const noms_entete[5] = {"tileset path", "tile width", "tile height", "W", "H"};

// A float as short as it reads: 6, 0.75, 6.85714.
std::string texte(float v) {
    std::ostringstream flux;
    flux << v;
    return flux.str();
}

// A field of the file between quotes, kept on one line: control characters are escaped so that a
// stray carriage return cannot break the message, and a very long field is cut.
std::string cite(const std::string& champ) {
    const std::size_t longueur_max = 60;
    std::string resultat = "\"";
    for (std::size_t i = 0; i < champ.size() && i < longueur_max; ++i) {
        const unsigned char c = static_cast<unsigned char>(champ[i]);
        if (c < 0x20 || c == 0x7f) {
            const char* chiffres = "0123456789abcdef";
            resultat += "\\x";
            resultat += chiffres[c >> 4];
            resultat += chiffres[c & 0xf];
        } else {
            resultat += static_cast<char>(c);
        }
    }
    if (champ.size() > longueur_max)
        resultat += "...";
    return resultat + "\"";
}

std::string messageChampInvalide(const ChampInvalide& champ, const char* attendu) {
    if (champ.hors_limites)
        return cite(champ.texte) + " is out of range, expected a whole number from -2147483648 to 2147483647";
    return cite(champ.texte) + " is not a number, expected " + attendu;
}

bool estInvalide(const ArrayMap& carte, int ligne, int champ) {
    for (const ChampInvalide& c : carte.getChampsInvalides())
        if (c.ligne == ligne && c.champ == champ)
            return true;
    return false;
}

// The header line: its shape, its numbers and the limits they must respect. Returns true when all
// five values are there, readable and within their limits, so that the rows can be checked against them.
bool verifieEntete(const ArrayMap& carte, std::vector<ProblemeNiveau>& problemes) {
    const int nombre = carte.getChampsParLigne()[0];
    bool complet = true;
    if (nombre == 1 && carte.m_chemin_tileset.empty()) {
        problemes.push_back(erreur(1, "header", std::string("empty line, expected ") + gabarit_entete));
        return false;
    }
    if (nombre < 5) {
        problemes.push_back(erreur(1, "header", compte(nombre, "field") + ", expected 5: " + gabarit_entete));
        complet = false;
    }
    if (carte.m_chemin_tileset.empty())
        problemes.push_back(erreur(1, "tileset path", "empty, expected the path of the tileset image"));

    bool lisible[5] = {true, false, false, false, false};
    for (int i = 1; i < 5 && i < nombre; ++i)
        lisible[i] = !estInvalide(carte, 0, i);
    for (const ChampInvalide& c : carte.getChampsInvalides()) {
        if (c.ligne != 0)
            continue;
        const char* attendu = c.champ <= 2 ? "a whole number of pixels" : "a whole number of cells";
        problemes.push_back(erreur(1, noms_entete[c.champ], messageChampInvalide(c, attendu)));
        complet = false;
    }

    const float tailles[2] = {carte.m_largeur_tile, carte.m_hauteur_tile};
    for (int i = 0; i < 2; ++i) {
        if (lisible[1 + i] && (tailles[i] < 1.f || tailles[i] > static_cast<float>(limites_niveau::taille_tile_max))) {
            problemes.push_back(erreur(1, noms_entete[1 + i],
                                       texte(static_cast<std::int64_t>(tailles[i])) + ", expected 1 to " +
                                           texte(std::int64_t{limites_niveau::taille_tile_max}) + " pixels"));
            complet = false;
        }
    }
    const int cases[2] = {carte.m_largeur_map_en_tiles, carte.m_hauteur_map_en_tiles};
    for (int i = 0; i < 2; ++i) {
        if (lisible[3 + i] && cases[i] < 3) {
            problemes.push_back(erreur(1, noms_entete[3 + i],
                                       texte(std::int64_t{cases[i]}) +
                                           ", expected at least 3 cells (the hero walks inside the outer ring)"));
            complet = false;
        }
    }
    if (!complet)
        return false;

    // 64-bit products: 65536 x 65536 cells or 1048576 x 4096 pixels wrap to 0 in 32 bits.
    const std::int64_t W = carte.m_largeur_map_en_tiles;
    const std::int64_t H = carte.m_hauteur_map_en_tiles;
    const std::int64_t tw = static_cast<std::int64_t>(carte.m_largeur_tile);
    const std::int64_t th = static_cast<std::int64_t>(carte.m_hauteur_tile);
    if (W * H > limites_niveau::cases_max) {
        problemes.push_back(erreur(1, "W x H",
                                   texte(W) + " x " + texte(H) + " = " + texte(W * H) + " cells, expected at most " +
                                       texte(limites_niveau::cases_max) + " (2048 x 2048)"));
        complet = false;
    }
    const struct {
        const char* lieu;
        std::int64_t cases, taille;
    } cotes[2] = {{"W x tile width", W, tw}, {"H x tile height", H, th}};
    for (const auto& cote : cotes) {
        if (cote.cases * cote.taille > limites_niveau::pixels_max) {
            problemes.push_back(erreur(1, cote.lieu,
                                       texte(cote.cases) + " x " + texte(cote.taille) + " = " +
                                           texte(cote.cases * cote.taille) + " pixels, expected at most " +
                                           texte(limites_niveau::pixels_max)));
            complet = false;
        }
    }

    // The start in tiles exactly as the movement rules compute it, in single precision: outside
    // columns 1 to W - 2 or rows 1 to H - 2 the cells they look at leave the grid.
    const float perso_x = demarrage::depart_heros / carte.m_largeur_tile;
    const float perso_y = demarrage::depart_heros / carte.m_hauteur_tile;
    const float bord_x = static_cast<float>(W - 2);
    const float bord_y = static_cast<float>(H - 2);
    if (!(perso_x >= 1.f && perso_x <= bord_x && perso_y >= 1.f && perso_y <= bord_y)) {
        const std::string depart = texte(demarrage::depart_heros);
        problemes.push_back(erreur(1, "hero start",
                                   "pixel (" + depart + ", " + depart + ") falls on column " + texte(perso_x) +
                                       ", row " + texte(perso_y) + " with " + texte(tw) + " x " + texte(th) +
                                       " tiles, expected columns 1 to " + texte(W - 2) + " and rows 1 to " +
                                       texte(H - 2) + ", inside the outer ring"));
        complet = false;
    }
    return complet;
}

// One block of H rows (tile rows or presence rows) that starts on loader line `premiere`: the first
// row that leaves the level short of W x H entries is an error, every other row of another length a
// warning, since the grid reads the entries in order and the cells after it shift.
void verifieBloc(const ArrayMap& carte, std::int64_t premiere, std::size_t total, const char* nom, const char* unite,
                 std::vector<ProblemeNiveau>& problemes) {
    const std::int64_t W = carte.m_largeur_map_en_tiles;
    const std::int64_t H = carte.m_hauteur_map_en_tiles;
    const std::vector<int>& champs = carte.getChampsParLigne();
    const std::int64_t lignes = static_cast<std::int64_t>(champs.size());
    const bool court = static_cast<std::int64_t>(total) < W * H;
    bool signale = false;

    std::int64_t y = 0;
    for (; y < H && premiere + y < lignes; ++y) {
        const std::int64_t n = champs[static_cast<std::size_t>(premiere + y)];
        if (n == W)
            continue;
        const std::string lieu = std::string(nom) + " row " + texte(y);
        const std::string message = compte(n, unite) + ", expected " + texte(W) + " (W)";
        if (court && n < W && !signale) {
            problemes.push_back(erreur(premiere + y + 1, lieu, message));
            signale = true;
        } else {
            problemes.push_back(avertissement(premiere + y + 1, lieu, message + "; the cells after it shift"));
        }
    }
    if (y < H) {
        const std::string lieu = std::string(nom) + " row " + texte(y);
        const std::string message = "missing, the file ends after line " + texte(lignes) + ", expected " + texte(H) +
                                    " " + nom + " rows (H) of " + compte(W, unite);
        if (court && !signale)
            problemes.push_back(erreur(lignes + 1, lieu, message));
        else
            problemes.push_back(avertissement(lignes + 1, lieu, message));
    }
}

} // namespace

std::vector<ProblemeNiveau> verifieNiveau(const ArrayMap& carte) {
    std::vector<ProblemeNiveau> problemes;
    if (!carte.estOuvert()) {
        problemes.push_back(erreur(0, "level file", "cannot be opened, expected a readable text file"));
        return problemes;
    }
    if (carte.getNombreLignes() == 0) {
        problemes.push_back(erreur(1, "header", std::string("the file is empty, expected ") + gabarit_entete));
        return problemes;
    }

    const bool entete_ok = verifieEntete(carte, problemes);

    for (const ChampInvalide& c : carte.getChampsInvalides())
        if (c.ligne > 0)
            problemes.push_back(erreur(c.ligne + 1, cellule(c.champ, c.ligne - 1),
                                       "tile number " + messageChampInvalide(c, "a whole number")));

    if (entete_ok) {
        const std::int64_t H = carte.m_hauteur_map_en_tiles;
        verifieBloc(carte, 1, carte.getLevel().size(), "tile", "tile number", problemes);
        verifieBloc(carte, H + 1, carte.getPresences().size(), "presence", "field", problemes);
        const std::int64_t fin = 2 * H + 1; // loader line after the last presence row
        const std::int64_t lignes = carte.getNombreLignes();
        if (lignes > fin)
            problemes.push_back(
                avertissement(fin + 1, "after presence row " + texte(H - 1),
                              compte(lignes - fin, "more line") + ", expected none; the game never reads them"));
    }

    std::stable_sort(problemes.begin(), problemes.end(),
                     [](const ProblemeNiveau& a, const ProblemeNiveau& b) { return a.ligne < b.ligne; });
    return problemes;
}

std::vector<ProblemeNiveau> verifieTileset(const ArrayMap& carte, sf::Vector2u taille_image) {
    std::vector<ProblemeNiveau> problemes;
    const std::string chemin = cite(carte.m_chemin_tileset);
    if (taille_image.x == 0 && taille_image.y == 0) {
        problemes.push_back(erreur(1, "tileset path",
                                   chemin + " cannot be loaded, expected an image file that SFML reads "
                                            "(PNG, JPEG, BMP, TGA, GIF, PSD, HDR or PIC)"));
        return problemes;
    }
    const float largeur = static_cast<float>(taille_image.x);
    const float hauteur = static_cast<float>(taille_image.y);
    if (carte.m_largeur_tile >= 1.f && largeur < carte.m_largeur_tile)
        problemes.push_back(erreur(1, "tileset path",
                                   chemin + " is " + texte(std::int64_t{taille_image.x}) +
                                       " pixels wide, expected at least one tile width, " +
                                       texte(static_cast<std::int64_t>(carte.m_largeur_tile)) + " pixels"));
    if (carte.m_hauteur_tile >= 1.f && hauteur < carte.m_hauteur_tile)
        problemes.push_back(avertissement(1, "tileset path",
                                          chemin + " is " + texte(std::int64_t{taille_image.y}) +
                                              " pixels high, expected at least one tile height, " +
                                              texte(static_cast<std::int64_t>(carte.m_hauteur_tile)) +
                                              " pixels; every tile is cut partly outside the image"));
    return problemes;
}

sf::Vector2u tailleImage(const std::string& chemin) {
    // The tile grid's own load has already had SFML say why the image failed: say it only once.
    std::streambuf* const tampon = sf::err().rdbuf(nullptr);
    sf::Image image;
    const bool lue = image.loadFromFile(chemin);
    sf::err().rdbuf(tampon);
    sf::err().clear();
    return lue ? image.getSize() : sf::Vector2u(0, 0);
}

bool contientErreur(const std::vector<ProblemeNiveau>& problemes) {
    return std::any_of(problemes.begin(), problemes.end(), [](const ProblemeNiveau& p) { return !p.avertissement; });
}

std::string formateProbleme(const std::string& fichier, const ProblemeNiveau& probleme) {
    std::string ligne = fichier + ":";
    if (probleme.ligne > 0)
        ligne += std::to_string(probleme.ligne) + ":";
    ligne += " ";
    if (probleme.avertissement)
        ligne += "warning: ";
    return ligne + probleme.lieu + ": " + probleme.message;
}

bool signalePremiereErreur(const std::vector<ProblemeNiveau>& problemes, const std::string& fichier,
                           std::ostream& flux) {
    for (const ProblemeNiveau& p : problemes) {
        if (!p.avertissement) {
            flux << formateProbleme(fichier, p) << std::endl;
            return true;
        }
    }
    return false;
}

std::string messageFeuilleHeros(const std::string& chemin) {
    return chemin + ": hero sprite sheet: the image cannot be loaded, expected an image of at least 72 x 128 "
                    "pixels (3 columns and 4 rows of 24 x 32 frames)";
}
