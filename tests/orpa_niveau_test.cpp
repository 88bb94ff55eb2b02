// The level tool through its real executable, run in a fixture folder as the author would run it
// from the game's folder: what `check` prints, what `preview` draws, and its command line.

#include <gtest/gtest.h>

#include <SFML/Graphics.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "outils_test.hpp"

namespace fs = std::filesystem;

namespace {

using outils::Execution;

// The driver's texture limit, read through the context kept for the whole run.
unsigned tailleTextureMax() {
    outils::gardeContexte();
    return sf::Texture::getMaximumSize();
}

std::vector<std::string> lignes(const std::string& texte) {
    std::vector<std::string> resultat;
    std::istringstream flux(texte);
    for (std::string ligne; std::getline(flux, ligne);)
        resultat.push_back(ligne);
    return resultat;
}

// Runs the tool with `arguments` in `dossier`; without `affichage` the child has no DISPLAY.
Execution lance(const fs::path& dossier, const std::vector<std::string>& arguments, bool affichage = true) {
    return outils::execute(ORPA_NIVEAU, arguments, dossier, std::nullopt, outils::environnement(affichage));
}

// Four solid tiles of `tw` x 48 in a 2 x 2 tileset: tile n has couleurTile(n).
sf::Color couleurTile(int n) {
    const sf::Color couleurs[4] = {sf::Color(20, 140, 40), sf::Color(200, 180, 60), sf::Color(40, 60, 200),
                                   sf::Color(120, 120, 120)};
    return couleurs[n];
}

void ecritTileset(const fs::path& chemin, unsigned tw) {
    fs::create_directories(chemin.parent_path());
    sf::Image image;
    image.create(2 * tw, 96);
    for (unsigned y = 0; y < 96; ++y)
        for (unsigned x = 0; x < 2 * tw; ++x)
            image.setPixel(x, y, couleurTile(static_cast<int>(x / tw + 2 * (y / 48))));
    ASSERT_TRUE(image.saveToFile(chemin.string()));
}

// The fixture level: 4 x 3 cells of 48 x 48, all four tiles used, cells (2, 1) and (0, 2) blocked,
// the hero's start cell (1, 1) free.
const int tiles_fixture[12] = {0, 1, 2, 3, 1, 0, 3, 2, 2, 3, 0, 1};
const std::string niveau_fixture = "tiles/decor.png|48|48|4|3\n"
                                   "0|1|2|3\n"
                                   "1|0|3|2\n"
                                   "2|3|0|1\n"
                                   "0|0|0|0\n"
                                   "0|0|1|0\n"
                                   "1|0|0|0\n";
const std::string resume_fixture = "cartes/niveau.txt: 4 x 3 cells, 192 x 144 pixels, tiles of 48 x 48 pixels from "
                                   "\"tiles/decor.png\" (2 x 2 tiles), 2 blocked cells, hero start cell (1, 1) free";

// The fixture level with line `numero` (0 for the header) replaced, or removed when `texte` is null.
std::string variante(int numero, const char* texte) {
    std::vector<std::string> l = lignes(niveau_fixture);
    if (texte)
        l[static_cast<std::size_t>(numero)] = texte;
    else
        l.erase(l.begin() + numero);
    std::string resultat;
    for (const std::string& ligne : l)
        resultat += ligne + "\n";
    return resultat;
}

// A game folder: the tileset under tiles/, the level under cartes/ (not beside the tileset, so that
// the header's path only resolves from the folder the tool runs in).
class OrpaNiveau : public ::testing::Test {
protected:
    void SetUp() override { ecritTileset(dossier.chemin() / "tiles" / "decor.png", 48); }

    void niveau(const std::string& contenu) { dossier.ecrit("cartes/niveau.txt", contenu); }

    Execution check() { return lance(dossier.chemin(), {"check", "cartes/niveau.txt"}); }

    outils::DossierTemp dossier;
};

// ---------------------------------------------------------------------------------------------
// check

TEST_F(OrpaNiveau, CheckDescribesAValidLevelInOneLine) {
    niveau(niveau_fixture);
    const Execution e = check();
    EXPECT_EQ(e.statut, 0);
    EXPECT_EQ(e.sortie, resume_fixture + "\n");
    EXPECT_EQ(e.erreurs, "");
}

struct CasCheck {
    const char* nom;
    std::string niveau;
    int statut;
    /// The starts of the lines printed, in order: every one must be there and nothing else.
    std::vector<std::string> lignes;
};

void PrintTo(const CasCheck& cas, std::ostream* os) {
    *os << cas.nom;
}

class CheckCas : public OrpaNiveau, public ::testing::WithParamInterface<CasCheck> {};

TEST_P(CheckCas, PrintsEveryProblemWithItsLine) {
    const CasCheck& cas = GetParam();
    if (!cas.niveau.empty())
        niveau(cas.niveau);
    const Execution e = check();
    EXPECT_EQ(e.statut, cas.statut);
    EXPECT_EQ(e.erreurs, "");
    const std::vector<std::string> vues = lignes(e.sortie);
    ASSERT_EQ(vues.size(), cas.lignes.size()) << e.sortie;
    for (std::size_t i = 0; i < vues.size(); ++i)
        EXPECT_EQ(vues[i].substr(0, cas.lignes[i].size()), cas.lignes[i]) << "line " << i << " of\n" << e.sortie;
}

// How every line about the fixture level starts.
const std::string f = "cartes/niveau.txt:";

INSTANTIATE_TEST_SUITE_P(
    Erreurs, CheckCas,
    ::testing::Values(
        // The loader's own "Erreur chargement niveau" must not slip into the report.
        CasCheck{"missing file", "", 1, {"cartes/niveau.txt: level file: cannot be opened"}},
        CasCheck{"short header", variante(0, "tiles/decor.png|48|48|4"), 1, {f + "1: header: 4 fields"}},
        CasCheck{"tileset that does not exist",
                 variante(0, "tiles/absent.png|48|48|4|3"),
                 1,
                 {f + "1: tileset path: \"tiles/absent.png\" cannot be loaded"}},
        // decor.png beside the level is not the one named: paths resolve from the working folder.
        CasCheck{"tileset path relative to the level's folder",
                 variante(0, "decor.png|48|48|4|3"),
                 1,
                 {f + "1: tileset path: \"decor.png\" cannot be loaded"}},
        CasCheck{"tile number that is not a number",
                 variante(2, "1|x|3|2"),
                 1,
                 {f + "3: cell (1, 1): tile number \"x\" is not a number"}},
        CasCheck{"short tile row", variante(2, "1|0|3"), 1, {f + "3: tile row 1: 3 tile numbers, expected 4"}},
        CasCheck{"short presence row", variante(5, "0|0|1"), 1, {f + "6: presence row 1: 3 fields, expected 4"}},
        CasCheck{"missing presence row", variante(6, nullptr), 1, {f + "7: presence row 2: missing"}},
        // Not only the first: every problem, in line order, warnings among them.
        CasCheck{"several problems",
                 "tiles/decor.png|48|48|4|3|x\n0|1|2|3\n1|x|3|2\n2|3|0|1|9\n0|0|0|0\n0|0|1\n1|0|0|0\n",
                 1,
                 {f + "1: warning: header: 6 fields, expected 5",
                  f + "3: cell (1, 1): tile number \"x\" is not a number", f + "4: warning: tile row 2: 5 tile numbers",
                  f + "6: presence row 1: 3 fields, expected 4"}}),
    outils::nomDuCas<CasCheck>);

INSTANTIATE_TEST_SUITE_P(
    Avertissements, CheckCas,
    ::testing::Values(
        CasCheck{"tile numbers outside the tileset",
                 variante(1, "0|4|2|-1"),
                 0,
                 {f + "2: warning: cell (1, 0): tile number 4 is not in the tileset, expected 0 to 3 "
                      "(\"tiles/decor.png\" holds 2 x 2 tiles of 48 x 48 pixels); the cell shows pixels from "
                      "outside the image",
                  f + "2: warning: cell (3, 0): tile number -1 is not in the tileset, expected 0 to 3",
                  resume_fixture}},
        CasCheck{"header fields after the fifth",
                 variante(0, "tiles/decor.png|48|48|4|3|extra|x"),
                 0,
                 {f + "1: warning: header: 7 fields, expected 5; the game ignores the last 2", resume_fixture}},
        CasCheck{"lines after the presence rows",
                 niveau_fixture + "1|1|1|1\n\n",
                 0,
                 {f + "8: warning: after presence row 2: 2 more lines", resume_fixture}},
        // The extra tile number becomes cell (0, 1), and so on: still four tiles, all in the tileset.
        CasCheck{"long tile row",
                 variante(1, "0|1|2|3|0"),
                 0,
                 {f + "2: warning: tile row 0: 5 tile numbers, expected 4", resume_fixture}},
        // The empty field after the "|" is entry 8, cell (0, 2), blocked; (0, 2)'s "1" moves to (1, 2),
        // so the game sees three blocked cells.
        CasCheck{"presence row ending with | that shifts the rest",
                 variante(5, "0|0|1|0|"),
                 0,
                 {f + "6: warning: presence row 1: 5 fields, expected 4",
                  f + "6: warning: presence row 1: ends with \"|\": its empty last field is one more entry, read as "
                      "blocked, and every later presence entry moves one place on, expected no \"|\" after the last "
                      "field",
                  "cartes/niveau.txt: 4 x 3 cells, 192 x 144 pixels, tiles of 48 x 48 pixels from "
                  "\"tiles/decor.png\" (2 x 2 tiles), 3 blocked cells, hero start cell (1, 1) free"}},
        CasCheck{"presence row ending with | in place of its last cell",
                 variante(5, "0|0|1|"),
                 0,
                 {f + "6: warning: presence row 1: ends with \"|\": its empty last field is cell (3, 1), which "
                      "reads as blocked",
                  "cartes/niveau.txt: 4 x 3 cells, 192 x 144 pixels, tiles of 48 x 48 pixels from "
                  "\"tiles/decor.png\" (2 x 2 tiles), 3 blocked cells"}},
        CasCheck{"hero on a blocked cell",
                 variante(5, "0|1|1|0"),
                 0,
                 {f + "6: warning: cell (1, 1): blocked, and the hero starts on it (his 48 x 48 box at pixel (48, 48) "
                      "covers it), expected a free cell",
                  "cartes/niveau.txt: 4 x 3 cells, 192 x 144 pixels, tiles of 48 x 48 pixels from "
                  "\"tiles/decor.png\" (2 x 2 tiles), 3 blocked cells, hero start cell (1, 1) blocked"}},
        // With 32-pixel-wide tiles his box, x from 48 to 96, covers columns 1 and 2 (not 3: it only
        // touches it), and only the blocked one of them is reported.
        CasCheck{"hero box over two cells, one blocked",
                 "tiles/decor.png|32|48|5|3\n0|0|0|0|0\n0|0|0|0|0\n0|0|0|0|0\n0|0|0|0|0\n0|0|1|1|0\n0|0|0|0|0\n",
                 0,
                 {f + "6: warning: cell (2, 1): blocked, and the hero starts on it",
                  "cartes/niveau.txt: 5 x 3 cells, 160 x 144 pixels, tiles of 32 x 48 pixels from "
                  "\"tiles/decor.png\" (3 x 2 tiles), 2 blocked cells, hero start cells (1, 1) to (2, 1) blocked"}},
        CasCheck{"hero box over two free cells",
                 "tiles/decor.png|32|48|5|3\n0|0|0|0|0\n0|0|0|0|0\n0|0|0|0|0\n0|0|0|0|0\n1|0|0|1|0\n0|0|0|0|0\n",
                 0,
                 {"cartes/niveau.txt: 5 x 3 cells, 160 x 144 pixels, tiles of 32 x 48 pixels from "
                  "\"tiles/decor.png\" (3 x 2 tiles), 2 blocked cells, hero start cells (1, 1) to (2, 1) free"}}),
    outils::nomDuCas<CasCheck>);

// ---------------------------------------------------------------------------------------------
// preview

sf::Color melange(sf::Color dessous, sf::Color dessus) {
    const auto canal = [&](sf::Uint8 d, sf::Uint8 s) {
        return static_cast<sf::Uint8>(std::lround((s * dessus.a + d * (255 - dessus.a)) / 255.0));
    };
    return sf::Color(canal(dessous.r, dessus.r), canal(dessous.g, dessus.g), canal(dessous.b, dessus.b));
}

// What the fixture level's preview must show at pixel (px, py) when a cell is `c` pixels wide: the
// tile's colour; on a blocked cell, a 1-pixel red outline over a translucent red veil; over all of it
// a 2-pixel yellow frame inside the hero's start box, level pixels 48 to 96 on both axes.
sf::Color attendu(int px, int py, int c) {
    const sf::Color rouge(255, 0, 0);
    const int x = px / c, y = py / c;
    const int i = px - x * c, j = py - y * c;
    sf::Color couleur = couleurTile(tiles_fixture[x + 4 * y]);
    if ((x == 2 && y == 1) || (x == 0 && y == 2)) {
        const bool bord = i == 0 || j == 0 || i == c - 1 || j == c - 1;
        couleur = bord ? rouge : melange(couleur, sf::Color(255, 0, 0, 96));
    }
    const int debut = c, fin = 2 * c; // the start box is cell (1, 1) with 48-pixel tiles
    const bool dans = px >= debut && px < fin && py >= debut && py < fin;
    const bool cadre = px < debut + 2 || px >= fin - 2 || py < debut + 2 || py >= fin - 2;
    if (dans && cadre)
        couleur = sf::Color(255, 255, 0);
    return couleur;
}

class ApercuEchelle : public OrpaNiveau, public ::testing::WithParamInterface<const char*> {};

TEST_P(ApercuEchelle, ShowsEveryCellAndItsMarks) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the preview needs an X server";
    const double echelle = std::atof(GetParam());
    niveau(niveau_fixture);
    const Execution e = lance(dossier.chemin(), {"preview", "cartes/niveau.txt", "apercu.png", "--scale", GetParam()});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_EQ(e.erreurs, "");

    sf::Image image;
    ASSERT_TRUE(image.loadFromFile((dossier.chemin() / "apercu.png").string()));
    const int c = static_cast<int>(48 * echelle);
    ASSERT_EQ(image.getSize(), sf::Vector2u(4 * c, 3 * c));
    // Blending in the driver may round a channel either way.
    int ecarts = 0;
    for (int py = 0; py < 3 * c; ++py) {
        for (int px = 0; px < 4 * c; ++px) {
            const sf::Color vu = image.getPixel(px, py);
            const sf::Color voulu = attendu(px, py, c);
            const bool proche = std::abs(vu.r - voulu.r) <= 2 && std::abs(vu.g - voulu.g) <= 2 &&
                                std::abs(vu.b - voulu.b) <= 2 && vu.a == 255;
            if (!proche && ++ecarts <= 5)
                ADD_FAILURE() << "pixel (" << px << ", " << py << "): (" << int(vu.r) << ", " << int(vu.g) << ", "
                              << int(vu.b) << ", " << int(vu.a) << "), expected (" << int(voulu.r) << ", "
                              << int(voulu.g) << ", " << int(voulu.b) << ")";
        }
    }
    EXPECT_EQ(ecarts, 0);
}

INSTANTIATE_TEST_SUITE_P(Echelles, ApercuEchelle, ::testing::Values("1", "0.5", "2"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "0.5" ? std::string("moitie")
                                                                     : std::string("x") + info.param;
                         });

struct CasRefus {
    const char* nom;
    std::string niveau;
    std::vector<std::string> arguments;
    bool affichage;
    std::string erreur; ///< a piece of standard error; "MAX" for the driver's texture limit
};

void PrintTo(const CasRefus& cas, std::ostream* os) {
    *os << cas.nom;
}

class ApercuRefuse : public OrpaNiveau, public ::testing::WithParamInterface<CasRefus> {};

TEST_P(ApercuRefuse, SaysWhyAndWritesNothing) {
    const CasRefus& cas = GetParam();
    const bool taille = cas.erreur == "MAX";
    if (taille) {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the size limit is read from the driver";
    }
    niveau(cas.niveau);
    std::vector<std::string> arguments{"preview", "cartes/niveau.txt", "apercu.png"};
    arguments.insert(arguments.end(), cas.arguments.begin(), cas.arguments.end());
    const Execution e = lance(dossier.chemin(), arguments, cas.affichage);
    EXPECT_EQ(e.statut, 1);
    const std::string erreur = taille ? std::to_string(tailleTextureMax()) + " pixels per side" : cas.erreur;
    EXPECT_NE(e.erreurs.find(erreur), std::string::npos) << e.erreurs;
    EXPECT_FALSE(fs::exists(dossier.chemin() / "apercu.png"));
}

INSTANTIATE_TEST_SUITE_P(
    Refus, ApercuRefuse,
    ::testing::Values(
        CasRefus{"refused level", variante(5, "0|0|1"), {}, true, f + "6: presence row 1: 3 fields, expected 4"},
        CasRefus{"missing tileset",
                 variante(0, "tiles/absent.png|48|48|4|3"),
                 {},
                 true,
                 f + "1: tileset path: \"tiles/absent.png\" cannot be loaded"},
        CasRefus{"image too large", niveau_fixture, {"--scale", "1000"}, true, "MAX"},
        CasRefus{"no X display", niveau_fixture, {}, false, "no X display"}),
    outils::nomDuCas<CasRefus>);

TEST_F(OrpaNiveau, PreviewCannotWriteIntoAMissingFolder) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the preview needs an X server";
    niveau(niveau_fixture);
    const Execution e = lance(dossier.chemin(), {"preview", "cartes/niveau.txt", "absent/apercu.png"});
    EXPECT_EQ(e.statut, 1);
    EXPECT_NE(e.erreurs.find("cannot write \"absent/apercu.png\""), std::string::npos) << e.erreurs;
}

// A level exactly as wide as the largest texture is drawn; one more cell is refused.
TEST_F(OrpaNiveau, PreviewLimitIsTheLargestTexture) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the preview needs an X server";
    const unsigned maximum = tailleTextureMax();
    ASSERT_EQ(maximum % 32, 0u);
    ecritTileset(dossier.chemin() / "tiles" / "etroit.png", 32);
    const auto large = [&](unsigned W) {
        std::string ligne;
        for (unsigned x = 0; x < W; ++x)
            ligne += x ? "|0" : "0";
        std::string texte = "tiles/etroit.png|32|48|" + std::to_string(W) + "|3\n";
        for (int y = 0; y < 6; ++y)
            texte += ligne + "\n";
        return texte;
    };

    niveau(large(maximum / 32));
    const Execution juste = lance(dossier.chemin(), {"preview", "cartes/niveau.txt", "apercu.png"});
    ASSERT_EQ(juste.statut, 0) << juste.erreurs;
    sf::Image image;
    ASSERT_TRUE(image.loadFromFile((dossier.chemin() / "apercu.png").string()));
    EXPECT_EQ(image.getSize(), sf::Vector2u(maximum, 144));
    fs::remove(dossier.chemin() / "apercu.png");

    niveau(large(maximum / 32 + 1));
    const Execution trop = lance(dossier.chemin(), {"preview", "cartes/niveau.txt", "apercu.png"});
    EXPECT_EQ(trop.statut, 1);
    EXPECT_NE(trop.erreurs.find(std::to_string(maximum + 32) + " x 144 pixels"), std::string::npos) << trop.erreurs;
    EXPECT_FALSE(fs::exists(dossier.chemin() / "apercu.png"));
}

// ---------------------------------------------------------------------------------------------
// Command line

struct CasLigne {
    std::vector<std::string> arguments;
    int statut;
    std::string debut; ///< how standard output (status 0) or the usage line on standard error starts
};

// Shown in the test's name and failure messages: the command line itself.
void PrintTo(const CasLigne& cas, std::ostream* os) {
    *os << "orpa-niveau";
    for (const std::string& argument : cas.arguments)
        *os << " " << argument;
}

class LigneDeCommande : public OrpaNiveau, public ::testing::WithParamInterface<CasLigne> {};

TEST_P(LigneDeCommande, HelpOrUsage) {
    const CasLigne& cas = GetParam();
    niveau(niveau_fixture);
    const Execution e = lance(dossier.chemin(), cas.arguments);
    EXPECT_EQ(e.statut, cas.statut);
    if (cas.statut == 0) {
        EXPECT_EQ(e.sortie.rfind(cas.debut, 0), 0u) << e.sortie;
        EXPECT_EQ(e.erreurs, "");
    } else {
        const std::vector<std::string> l = lignes(e.erreurs);
        EXPECT_TRUE(std::any_of(l.begin(), l.end(), [&](const std::string& ligne) {
            return ligne.rfind(cas.debut, 0) == 0;
        })) << e.erreurs;
        EXPECT_EQ(e.sortie, "");
    }
    EXPECT_FALSE(fs::exists(dossier.chemin() / "apercu.png"));
}

INSTANTIATE_TEST_SUITE_P(Aide, LigneDeCommande,
                         ::testing::Values(CasLigne{{"--help"}, 0, "usage: orpa-niveau check FILE\n"},
                                           CasLigne{{"check", "--help"}, 0, "usage: orpa-niveau check FILE\n\n"},
                                           // Help wins over what else is on the line, and writes no image.
                                           CasLigne{{"preview", "cartes/niveau.txt", "apercu.png", "--help"},
                                                    0,
                                                    "usage: orpa-niveau preview FILE OUT.png [--scale S]\n\n"}));

INSTANTIATE_TEST_SUITE_P(
    Usage, LigneDeCommande,
    ::testing::Values(
        CasLigne{{}, 2, "usage: orpa-niveau"}, CasLigne{{"verifie"}, 2, "usage: orpa-niveau"},
        CasLigne{{"--version"}, 2, "usage: orpa-niveau"}, CasLigne{{"check"}, 2, "usage: orpa-niveau check FILE"},
        CasLigne{{"check", "cartes/niveau.txt", "autre.txt"}, 2, "usage: orpa-niveau check FILE"},
        CasLigne{{"check", "--strict", "cartes/niveau.txt"}, 2, "usage: orpa-niveau check FILE"},
        CasLigne{{"preview", "cartes/niveau.txt"}, 2, "usage: orpa-niveau preview"},
        CasLigne{{"preview", "cartes/niveau.txt", "apercu.png", "--scale"}, 2, "usage: orpa-niveau preview"},
        CasLigne{{"preview", "cartes/niveau.txt", "apercu.png", "--scale", "0"}, 2, "usage: orpa-niveau preview"},
        CasLigne{{"preview", "cartes/niveau.txt", "apercu.png", "--scale=-2"}, 2, "usage: orpa-niveau preview"},
        CasLigne{{"preview", "cartes/niveau.txt", "apercu.png", "--scale", "2x"}, 2, "usage: orpa-niveau preview"},
        CasLigne{{"preview", "cartes/niveau.txt", "apercu.png", "--zoom", "2"}, 2, "usage: orpa-niveau preview"}));

TEST_F(OrpaNiveau, PreviewHelpStatesTheSizeLimit) {
    const Execution e = lance(dossier.chemin(), {"preview", "--help"});
    EXPECT_EQ(e.statut, 0);
    EXPECT_NE(e.sortie.find("sf::Texture::getMaximumSize()"), std::string::npos) << e.sortie;
    EXPECT_NE(e.sortie.find("--scale S"), std::string::npos) << e.sortie;
}

} // namespace
