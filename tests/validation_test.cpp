#include <gtest/gtest.h>

#include <SFML/Graphics.hpp>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ArrayMap.hpp"
#include "Demarrage.hpp"
#include "Hero.hpp"
#include "Regles.hpp"
#include "TileMap.hpp"
#include "ValideNiveau.hpp"
#include "outils_test.hpp"

namespace fs = std::filesystem;

namespace {

const std::string fichier_niveau = "map/base_map.txt";

using outils::DossierTemp;

// A solid image of `largeur` x `hauteur` pixels at `relatif` in `dossier`; its full path.
fs::path ecritImage(const DossierTemp& dossier, const std::string& relatif, unsigned int largeur,
                    unsigned int hauteur) {
    const fs::path cible = dossier.chemin() / relatif;
    fs::create_directories(cible.parent_path());
    sf::Image image;
    image.create(largeur, hauteur, sf::Color(30, 120, 60));
    image.saveToFile(cible.string());
    return cible;
}

// The lines of a well-formed level: tile number 1 and a free cell everywhere. Index 0 is the
// header (line 1 of the file), 1 to H the tile rows, H + 1 to 2H the presence rows.
std::vector<std::string> lignesNiveau(const std::string& entete, int W, int H) {
    std::vector<std::string> lignes{entete};
    std::string tiles, presences;
    for (int x = 0; x < W; ++x) {
        tiles += (x ? "|1" : "1");
        presences += (x ? "|0" : "0");
    }
    for (int y = 0; y < H; ++y)
        lignes.push_back(tiles);
    for (int y = 0; y < H; ++y)
        lignes.push_back(presences);
    return lignes;
}

std::string joint(const std::vector<std::string>& lignes, const std::string& fin = "\n") {
    std::string texte;
    for (const std::string& ligne : lignes)
        texte += ligne + fin;
    return texte;
}

std::string niveau(const std::string& entete, int W, int H) {
    return joint(lignesNiveau(entete, W, H));
}

// The level text with line `index` (0 = header) replaced, or only the first `garde` lines kept.
std::string avecLigne(std::vector<std::string> lignes, std::size_t index, const std::string& ligne) {
    lignes.at(index) = ligne;
    return joint(lignes);
}

std::string premieresLignes(std::vector<std::string> lignes, std::size_t garde) {
    lignes.resize(garde);
    return joint(lignes);
}

std::vector<ProblemeNiveau> verifieTexte(const std::string& texte) {
    DossierTemp dossier;
    ArrayMap carte;
    carte.genereMap(dossier.ecrit("niveau.txt", texte).string());
    return verifieNiveau(carte);
}

std::string liste(const std::vector<ProblemeNiveau>& problemes) {
    std::string texte;
    for (const ProblemeNiveau& p : problemes)
        texte += "\n  " + formateProbleme(fichier_niveau, p);
    return texte;
}

const ProblemeNiveau* premiereErreur(const std::vector<ProblemeNiveau>& problemes) {
    for (const ProblemeNiveau& p : problemes)
        if (!p.avertissement)
            return &p;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Refused levels: the first error, its line, and what it says.

struct CasRefuse {
    std::string nom;
    std::string texte;
    int ligne;
    std::string fragment; ///< the start of what must follow "<file>:<line>: "
};

std::ostream& operator<<(std::ostream& flux, const CasRefuse& cas) {
    return flux << cas.nom;
}

std::vector<CasRefuse> casRefuses() {
    const auto base = lignesNiveau("t.png|48|48|5|5", 5, 5);
    const std::string entete_attendu = "tileset path|tile width|tile height|W|H";
    return {
        {"EnteteQuatreChamps", avecLigne(base, 0, "t.png|48|48|5"), 1,
         "header: 4 fields, expected 5: " + entete_attendu},
        {"PremiereLigneVide", avecLigne(base, 0, ""), 1, "header: empty line, expected " + entete_attendu},
        {"FichierVide", "", 1, "header: the file is empty, expected " + entete_attendu},
        {"CheminVide", avecLigne(base, 0, "|48|48|5|5"), 1,
         "tileset path: empty, expected the path of the tileset image"},
        {"ChampEnteteSansChiffre", avecLigne(base, 0, "t.png|abc|48|5|5"), 1,
         "tile width: \"abc\" is not a number, expected a whole number of pixels"},
        {"ChampEnteteHors32Bits", avecLigne(base, 0, "t.png|48|48|5|99999999999"), 1,
         "H: \"99999999999\" is out of range, expected a whole number from -2147483648 to 2147483647"},
        {"RetourChariotDansUnChamp", avecLigne(base, 0, "t.png|48|48|x\ry|5"), 1,
         "W: \"x\\x0dy\" is not a number, expected a whole number of cells"},
        {"ChampTileSansChiffre", avecLigne(base, 2, "1|x|1|1|1"), 3,
         "cell (1, 1): tile number \"x\" is not a number, expected a whole number"},
        {"ChampTileHors32Bits", avecLigne(base, 1, "2147483648|1|1|1|1"), 2,
         "cell (0, 0): tile number \"2147483648\" is out of range, expected a whole number from -2147483648 to "
         "2147483647"},
        {"LargeurTileNulle", avecLigne(base, 0, "t.png|0|48|5|5"), 1, "tile width: 0, expected 1 to 4096 pixels"},
        {"HauteurTileNegative", avecLigne(base, 0, "t.png|48|-48|5|5"), 1,
         "tile height: -48, expected 1 to 4096 pixels"},
        {"LargeurTileAuDelaDe4096", avecLigne(base, 0, "t.png|4097|48|5|5"), 1,
         "tile width: 4097, expected 1 to 4096 pixels"},
        {"WNegatif", avecLigne(base, 0, "t.png|48|48|-3|5"), 1,
         "W: -3, expected at least 3 cells (the hero walks inside the outer ring)"},
        {"HNul", avecLigne(base, 0, "t.png|48|48|5|0"), 1, "H: 0, expected at least 3 cells"},
        {"DeuxCasesDeLarge", niveau("t.png|48|48|2|5", 2, 5), 1, "W: 2, expected at least 3 cells"},
        {"TropDeCases", "t.png|48|48|3000|3000\n", 1,
         "W x H: 3000 x 3000 = 9000000 cells, expected at most 4194304 (2048 x 2048)"},
        // 2^32 cells: a 32-bit product would wrap to 0 and let it through.
        {"CasesQuiDebordent32Bits", "t.png|48|48|65536|65536\n", 1, "W x H: 65536 x 65536 = 4294967296 cells"},
        {"UneColonneDePlusQue2048x2048", "t.png|48|48|2049|2048\n", 1, "W x H: 2049 x 2048 = 4196352 cells"},
        // At the ceiling itself the header passes, and the missing rows are what is refused.
        {"Exactement2048x2048", "t.png|48|48|2048|2048\n", 2, "tile row 0: missing, the file ends after line 1"},
        {"PixelsQuiDebordent32Bits", "t.png|4096|48|1048576|3\n", 1,
         "W x tile width: 1048576 x 4096 = 4294967296 pixels, expected at most 16777216"},
        {"UnPixelDeTropEnLargeur", "t.png|48|48|349526|3\n", 1,
         "W x tile width: 349526 x 48 = 16777248 pixels, expected at most 16777216"},
        {"JusteAssezDePixels", "t.png|48|48|349525|3\n", 2, "tile row 0: missing"},
        {"TrenteDeuxPixelsDeTropEnHauteur", "t.png|48|32|3|524289\n", 1,
         "H x tile height: 524289 x 32 = 16777248 pixels"},
        {"LigneDeTilesCourte", avecLigne(base, 3, "1|1|1|1"), 4, "tile row 2: 4 tile numbers, expected 5 (W)"},
        {"LignesDeTilesManquantes", premieresLignes(base, 4), 5,
         "tile row 3: missing, the file ends after line 4, expected 5 tile rows (H) of 5 tile numbers"},
        {"LigneDePresencesCourte", avecLigne(base, 7, "0|0|0|0"), 8, "presence row 1: 4 fields, expected 5 (W)"},
        {"SansPresences", premieresLignes(base, 6), 7,
         "presence row 0: missing, the file ends after line 6, expected 5 presence rows (H) of 5 fields"},
        {"Tiles8PixelsSur5x5", niveau("t.png|8|8|5|5", 5, 5), 1,
         "hero start: pixel (48, 48) falls on column 6, row 6 with 8 x 8 tiles, expected columns 1 to 3 and rows 1 "
         "to 3, inside the outer ring"},
        {"Tiles12PixelsSur5x5", niveau("t.png|12|12|5|5", 5, 5), 1, "hero start: pixel (48, 48) falls on column 4"},
        {"Tiles64Pixels", niveau("t.png|64|64|5|5", 5, 5), 1,
         "hero start: pixel (48, 48) falls on column 0.75, row 0.75 with 64 x 64 tiles"},
        {"DepartSousLaDerniereLigne", niveau("t.png|48|8|5|7", 5, 7), 1,
         "hero start: pixel (48, 48) falls on column 1, row 6 with 48 x 8 tiles, expected columns 1 to 3 and rows 1 "
         "to 5"},
    };
}

class NiveauRefuse : public ::testing::TestWithParam<CasRefuse> {};

TEST_P(NiveauRefuse, FirstErrorSaysWhereAndWhatWasExpected) {
    const CasRefuse& cas = GetParam();
    const std::vector<ProblemeNiveau> problemes = verifieTexte(cas.texte);
    ASSERT_TRUE(contientErreur(problemes)) << liste(problemes);
    const ProblemeNiveau* erreur = premiereErreur(problemes);
    EXPECT_EQ(erreur->ligne, cas.ligne) << liste(problemes);
    const std::string ligne = formateProbleme(fichier_niveau, *erreur);
    const std::string debut = fichier_niveau + ":" + std::to_string(cas.ligne) + ": ";
    EXPECT_EQ(ligne.rfind(debut + cas.fragment, 0), 0u) << ligne;
    EXPECT_NE(ligne.find(", expected "), std::string::npos) << ligne;
    EXPECT_EQ(ligne.find_first_of("\r\n"), std::string::npos) << "one line only";
}

INSTANTIATE_TEST_SUITE_P(Validation, NiveauRefuse, ::testing::ValuesIn(casRefuses()), outils::nomDuCas<CasRefuse>);

// ---------------------------------------------------------------------------------------------
// Accepted levels, quirks of the format included; some earn a warning for the level checker.

struct CasAccepte {
    std::string nom;
    std::string texte;
    std::string avertissement; ///< a warning line must start with this; empty: no problem at all
};

std::ostream& operator<<(std::ostream& flux, const CasAccepte& cas) {
    return flux << cas.nom;
}

std::vector<CasAccepte> casAcceptes() {
    const auto base = lignesNiveau("t.png|48|48|5|5", 5, 5);
    auto long_court = base;
    long_court[1] = "1|1|1|1|1|1";
    long_court[2] = "1|1|1|1";
    auto ligne_en_trop = base;
    ligne_en_trop.push_back("0|0");
    auto lettres = base;
    lettres[0] = "t.png|48px|48|5a|5";
    lettres[1] = "7a|1|1|1|1";
    return {
        {"BienForme", joint(base), ""},
        {"FinsDeLigneCRLF", joint(base, "\r\n"), ""},
        {"DerniereLigneSansSautDeLigne", joint(base).substr(0, joint(base).size() - 1), ""},
        {"PlusPetitNiveau3x3", niveau("t.png|48|48|3|3", 3, 3), ""},
        {"DepartSurLaColonneWMoins2", niveau("t.png|16|16|5|5", 5, 5), ""},
        {"BlancsDansLeChemin", avecLigne(base, 0, "  mes tuiles/t 1.png |48|48|5|5"), ""},
        {"NombresSuivisDeLettres", joint(lettres), ""},
        {"BarreEnFinDeLigneDePresences", avecLigne(base, 7, "0|0|0|0|0|"),
         "map/base_map.txt:8: warning: presence row 1: "
         "6 fields, expected 5 (W); the cells after "
         "it shift"},
        // Only the total counts: a long row makes up for a short one, with a warning on each.
        {"LigneLongueEtLigneCourte", joint(long_court),
         "map/base_map.txt:3: warning: tile row 1: 4 tile numbers, expected 5 (W); the cells after it shift"},
        {"LigneApresLesPresences", joint(ligne_en_trop),
         "map/base_map.txt:12: warning: after presence row 4: 1 more line, expected none; the game never reads them"},
    };
}

class NiveauAccepte : public ::testing::TestWithParam<CasAccepte> {};

TEST_P(NiveauAccepte, HasNoError) {
    const CasAccepte& cas = GetParam();
    const std::vector<ProblemeNiveau> problemes = verifieTexte(cas.texte);
    EXPECT_FALSE(contientErreur(problemes)) << liste(problemes);
    if (cas.avertissement.empty()) {
        EXPECT_TRUE(problemes.empty()) << liste(problemes);
    } else {
        bool trouve = false;
        for (const ProblemeNiveau& p : problemes)
            trouve = trouve || formateProbleme(fichier_niveau, p).rfind(cas.avertissement, 0) == 0;
        EXPECT_TRUE(trouve) << "wanted " << cas.avertissement << liste(problemes);
    }
}

INSTANTIATE_TEST_SUITE_P(Validation, NiveauAccepte, ::testing::ValuesIn(casAcceptes()), outils::nomDuCas<CasAccepte>);

TEST(Validation, ListsEveryProblemInFileOrder) {
    auto lignes = lignesNiveau("t.png|48|48|5|5", 5, 5);
    lignes[9] = "0|0|0";       // line 10: short presence row, the level's error on the grid
    lignes[4] = "1|1|1|1|x";   // line 5: unreadable tile number
    lignes[2] = "1|1|1|1|1|1"; // line 3: long tile row, only a warning
    const std::vector<ProblemeNiveau> problemes = verifieTexte(joint(lignes));
    ASSERT_EQ(problemes.size(), 3u) << liste(problemes);
    EXPECT_EQ(problemes[0].ligne, 3);
    EXPECT_TRUE(problemes[0].avertissement);
    EXPECT_EQ(problemes[1].lieu, "cell (4, 3)");
    EXPECT_FALSE(problemes[1].avertissement);
    EXPECT_EQ(problemes[2].ligne, 10);
    EXPECT_EQ(problemes[2].lieu, "presence row 3");
    EXPECT_FALSE(problemes[2].avertissement);
}

TEST(Validation, UnopenedFileIsOneProblemWithoutLine) {
    ArrayMap carte;
    testing::internal::CaptureStdout();
    carte.genereMap("/nonexistent/orpa/level.txt");
    testing::internal::GetCapturedStdout();
    const std::vector<ProblemeNiveau> problemes = verifieNiveau(carte);
    ASSERT_EQ(problemes.size(), 1u);
    EXPECT_EQ(formateProbleme("x.txt", problemes[0]),
              "x.txt: level file: cannot be opened, expected a readable text file");
}

TEST(Validation, TilesetMustHoldOneTileWidth) {
    ArrayMap carte;
    DossierTemp dossier;
    carte.genereMap(dossier.ecrit("niveau.txt", niveau("tilesets/etroit.png|48|48|5|5", 5, 5)).string());
    const struct {
        sf::Vector2u taille;
        bool erreur;
        std::string debut; ///< first problem's line; empty: no problem
    } cas[] = {
        {{0, 0},
         true,
         "map/base_map.txt:1: tileset path: \"tilesets/etroit.png\" cannot be loaded, expected an image file"},
        {{40, 40},
         true,
         "map/base_map.txt:1: tileset path: \"tilesets/etroit.png\" is 40 pixels wide, expected at least one tile "
         "width, 48 pixels"},
        {{47, 96}, true, "map/base_map.txt:1: tileset path: \"tilesets/etroit.png\" is 47 pixels wide"},
        {{48, 48}, false, ""},
        {{96, 20}, false, "map/base_map.txt:1: warning: tileset path: \"tilesets/etroit.png\" is 20 pixels high"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::to_string(c.taille.x) + " x " + std::to_string(c.taille.y));
        const std::vector<ProblemeNiveau> problemes = verifieTileset(carte, c.taille);
        EXPECT_EQ(contientErreur(problemes), c.erreur);
        if (c.debut.empty()) {
            EXPECT_TRUE(problemes.empty()) << liste(problemes);
        } else {
            ASSERT_FALSE(problemes.empty());
            EXPECT_EQ(formateProbleme(fichier_niveau, problemes[0]).rfind(c.debut, 0), 0u)
                << formateProbleme(fichier_niveau, problemes[0]);
        }
    }

    // What main hands it after the grid refused the image: the size read from the file itself.
    EXPECT_EQ(tailleImage(ecritImage(dossier, "etroit.png", 40, 30).string()), sf::Vector2u(40, 30));
    EXPECT_EQ(tailleImage((dossier.chemin() / "absent.png").string()), sf::Vector2u(0, 0));
}

TEST(Validation, ReportsOnlyTheFirstErrorAndNeverAWarning) {
    const std::vector<ProblemeNiveau> problemes = {
        {3, "tile row 1", "6 tile numbers, expected 5 (W)", true},
        {5, "cell (4, 3)", "first error", false},
        {9, "presence row 2", "second error", false},
    };
    std::ostringstream flux;
    EXPECT_TRUE(signalePremiereErreur(problemes, "niveau.txt", flux));
    EXPECT_EQ(flux.str(), "niveau.txt:5: cell (4, 3): first error\n");

    std::ostringstream rien;
    EXPECT_FALSE(signalePremiereErreur({problemes[0]}, "niveau.txt", rien));
    EXPECT_EQ(rien.str(), "");
}

// ---------------------------------------------------------------------------------------------
// The game itself on a level folder, under an X server: its window opens before the level is read.

// Gives this process a display: the one in DISPLAY, or an Xvfb of its own, stopped at exit.
void assureAffichage() {
    const char* affichage = std::getenv("DISPLAY");
    if (affichage && *affichage)
        return;
    static const outils::ServeurX serveur;
    ::setenv("DISPLAY", serveur.nom().c_str(), 1);
}

using outils::Execution;

// Runs the game in `dossier`. A run that has not ended after `attente` is ended and reported as not
// finished: for a refused level that is a failure, for an accepted one what should happen.
Execution lanceJeu(const fs::path& dossier, std::chrono::milliseconds attente) {
    assureAffichage();
    return outils::execute(ORPA_BINAIRE, {}, dossier, attente);
}

// The lines of `texte` that start with `debut`.
int lignesQuiCommencentPar(const std::string& texte, const std::string& debut) {
    std::istringstream flux(texte);
    int nombre = 0;
    for (std::string ligne; std::getline(flux, ligne);)
        nombre += ligne.rfind(debut, 0) == 0;
    return nombre;
}

struct CasJeu {
    std::string nom;
    std::string niveau; ///< map/base_map.txt; not written when empty and `sans_niveau`
    bool sans_niveau;
    bool sans_feuille;  ///< no tilesets/Pelmur.png
    std::string erreur; ///< the one line of ours expected on standard error, or its start
};

std::ostream& operator<<(std::ostream& flux, const CasJeu& cas) {
    return flux << cas.nom;
}

class JeuRefuse : public ::testing::TestWithParam<CasJeu> {};

TEST_P(JeuRefuse, ExitsWith255AndOneLine) {
    const CasJeu& cas = GetParam();
    DossierTemp dossier;
    ecritImage(dossier, "tilesets/t.png", 96, 48);
    ecritImage(dossier, "tilesets/etroit.png", 40, 40);
    if (!cas.sans_feuille)
        ecritImage(dossier, "tilesets/Pelmur.png", 72, 128);
    if (!cas.sans_niveau)
        dossier.ecrit(fichier_niveau, cas.niveau);

    const Execution execution = lanceJeu(dossier.chemin(), std::chrono::seconds(60));
    ASSERT_TRUE(execution.fini) << "the game kept running on a level it should refuse";
    EXPECT_EQ(execution.statut, 255) << execution.erreurs;
    if (cas.sans_niveau) {
        EXPECT_EQ(execution.sortie, "Erreur chargement niveau\n");
        EXPECT_EQ(execution.erreurs.find(fichier_niveau), std::string::npos) << execution.erreurs;
        EXPECT_EQ(lignesQuiCommencentPar(execution.erreurs, "tilesets/"), 0) << execution.erreurs;
    } else {
        EXPECT_EQ(execution.sortie, "");
        const std::string prefixe = cas.sans_feuille ? "tilesets/Pelmur.png: " : fichier_niveau + ":";
        EXPECT_EQ(lignesQuiCommencentPar(execution.erreurs, prefixe), 1) << execution.erreurs;
        EXPECT_NE(("\n" + execution.erreurs).find("\n" + cas.erreur), std::string::npos)
            << "wanted " << cas.erreur << "\ngot\n"
            << execution.erreurs;
    }
}

INSTANTIATE_TEST_SUITE_P(
    ValidationJeu, JeuRefuse,
    ::testing::Values(
        CasJeu{"NiveauAbsent", "", true, false, ""},
        CasJeu{"FichierVide", "", false, false, "map/base_map.txt:1: header: the file is empty, expected "},
        CasJeu{"DepartHorsDuTerrain", niveau("tilesets/t.png|8|8|5|5", 5, 5), false, false,
               "map/base_map.txt:1: hero start: pixel (48, 48) falls on column 6, row 6 with 8 x 8 tiles"},
        CasJeu{"PresencesCourtes", premieresLignes(lignesNiveau("tilesets/t.png|48|48|5|5", 5, 5), 9), false, false,
               "map/base_map.txt:10: presence row 3: missing, the file ends after line 9"},
        CasJeu{"TilesetPlusEtroitQuUneTile", niveau("tilesets/etroit.png|48|48|5|5", 5, 5), false, false,
               "map/base_map.txt:1: tileset path: \"tilesets/etroit.png\" is 40 pixels wide, expected at least one "
               "tile width, 48 pixels\n"},
        CasJeu{"TilesetAbsent", niveau("tilesets/absent.png|48|48|5|5", 5, 5), false, false,
               "map/base_map.txt:1: tileset path: \"tilesets/absent.png\" cannot be loaded, expected an image file"},
        CasJeu{"FeuilleDuHerosAbsente", niveau("tilesets/t.png|48|48|5|5", 5, 5), false, true,
               "tilesets/Pelmur.png: hero sprite sheet: the image cannot be loaded, expected an image of at least "
               "72 x 128 pixels"}),
    outils::nomDuCas<CasJeu>);

// A mistake in the checks would refuse good levels too: the game must still start and keep running.
TEST(ValidationJeu, AcceptedLevelKeepsRunning) {
    DossierTemp dossier;
    ecritImage(dossier, "tilesets/t.png", 96, 48);
    ecritImage(dossier, "tilesets/Pelmur.png", 72, 128);
    dossier.ecrit(fichier_niveau, avecLigne(lignesNiveau("tilesets/t.png|48|48|8|6", 8, 6), 8, "0|1|0|0|0|0|0|0|"));
    const Execution execution = lanceJeu(dossier.chemin(), std::chrono::seconds(2));
    EXPECT_FALSE(execution.fini) << "status " << execution.statut << "\n" << execution.erreurs;
    EXPECT_EQ(execution.sortie, "");
    EXPECT_EQ(execution.erreurs.find("map/base_map.txt"), std::string::npos) << execution.erreurs;
}

// ---------------------------------------------------------------------------------------------
// No key sequence on an accepted level takes the hero out of the interior.
//
// Why the rules stay in range on an accepted level: the start s = 48 / tile size lies in [1, W - 2]
// (and likewise down). A step right is taken only when W - 1 > x + 1, i.e. x < W - 2, and moves x by
// a quarter; a step left only when x > 1. So x never leaves (0.75, W - 1.75), and on levels whose start
// is a multiple of a quarter tile it never leaves [1, W - 2]. Every cell the rules look at is then
// x - 1 to x + 1 truncated, inside 0 .. W - 1, and every presence index is below W x H, which the
// presence grid holds since the level was accepted. The overlap test and the presence reading also
// refuse out-of-grid cells on their own. This test walks random accepted levels to show the first half
// holds; the sanitizer build, with the library's range checks on, shows that nothing reads outside.

TEST(ValidationDeplacement, RandomKeysKeepTheHeroInsideTheInterior) {
    assureAffichage();
    // SFML opens a new X connection each time its shared GL context is rebuilt, after the last texture
    // is gone, and the connections pile up: one context kept for the rest of the run keeps a single one.
    outils::gardeContexte();
    DossierTemp dossier;
    const std::string tileset = ecritImage(dossier, "tileset.png", 192, 192).string();
    const std::string feuille = ecritImage(dossier, "feuille.png", 72, 128).string();
    const sf::Keyboard::Key fleches[] = {sf::Keyboard::Right, sf::Keyboard::Left, sf::Keyboard::Up, sf::Keyboard::Down};

    std::mt19937 alea(20240611u);
    auto tirage = [&](int min, int max) { return std::uniform_int_distribution<int>(min, max)(alea); };
    int acceptes = 0, refuses = 0;
    int bords[4] = {0, 0, 0, 0}; // presses that ended against the right, left, top and bottom border

    for (int essai = 0; acceptes < 60 && essai < 2000; ++essai) {
        // Half the sizes put the start on a quarter tile near the outer ring, where the guards are
        // tight; the others are any size, most of them refused or off the quarter-tile grid.
        const int alignees[] = {16, 24, 32, 48};
        const int tw = tirage(0, 1) ? alignees[tirage(0, 3)] : tirage(1, 52);
        const int th = tirage(0, 1) ? alignees[tirage(0, 3)] : tirage(1, 52);
        const int W = tirage(3, 48 / tw + 6);
        const int H = tirage(3, 48 / th + 6);
        std::vector<std::string> lignes{"t.png|" + std::to_string(tw) + "|" + std::to_string(th) + "|" +
                                        std::to_string(W) + "|" + std::to_string(H)};
        for (int y = 0; y < H; ++y) {
            std::string ligne;
            for (int x = 0; x < W; ++x)
                ligne += (x ? "|" : "") + std::to_string(tirage(0, 5));
            lignes.push_back(ligne);
        }
        for (int y = 0; y < H; ++y) {
            std::string ligne;
            for (int x = 0; x < W; ++x)
                ligne += std::string(x ? "|" : "") + (tirage(0, 5) == 0 ? "1" : "0");
            if (tirage(0, 9) == 0)
                ligne += "|"; // the accepted quirk: every later entry moves up by one
            lignes.push_back(ligne);
        }
        const fs::path chemin = dossier.ecrit("niveau.txt", joint(lignes));
        ArrayMap carte;
        carte.genereMap(chemin.string());
        if (contientErreur(verifieNiveau(carte))) {
            ++refuses;
            continue;
        }
        ++acceptes;
        SCOPED_TRACE(lignes[0]);

        const std::vector<int> level = carte.getLevel();
        const std::vector<bool> presences = carte.getPresences();
        TileMap map;
        ASSERT_TRUE(map.load(tileset, sf::Vector2u(static_cast<unsigned>(tw), static_cast<unsigned>(th)), level.data(),
                             static_cast<unsigned>(W), static_cast<unsigned>(H)));
        Hero perso;
        ASSERT_TRUE(chargeHeros(perso, feuille));
        EtatBoucle etat = creeEtatBoucle(carte);
        Monde monde{perso, map, presences, carte};
        // Starts on a quarter tile, where the guards hold the hero to [1, W - 2] and [1, H - 2] exactly.
        const bool grille_x = 192 % tw == 0;
        const bool grille_y = 192 % th == 0;
        const float marge = 1e-3f;

        for (int appui = 0; appui < 250; ++appui) {
            const sf::Keyboard::Key touche = fleches[tirage(0, 3)];
            etat.timer = sf::milliseconds(tirage(101, 300));
            gereAppui(touche, etat, monde, sf::Vector2u(720, 336));
            const float x = perso.getPosition().x / carte.m_largeur_tile;
            const float y = perso.getPosition().y / carte.m_hauteur_tile;
            const bool dedans = x > 0.75f - marge && x < W - 1.75f + marge && y > 0.75f - marge &&
                                y < H - 1.75f + marge && (!grille_x || (x >= 1.f && x <= W - 2.f)) &&
                                (!grille_y || (y >= 1.f && y <= H - 2.f));
            if (!dedans) {
                ADD_FAILURE() << "after press " << appui << " the hero is at (" << x << ", " << y << ") on a " << W
                              << " x " << H << " level";
                return;
            }
            bords[0] += x > W - 2.25f;
            bords[1] += x < 1.25f;
            bords[2] += y < 1.25f;
            bords[3] += y > H - 2.25f;
        }
    }
    EXPECT_EQ(acceptes, 60) << refuses << " refused";
    EXPECT_GT(refuses, 0) << "the random levels should include refused ones (small tiles, big tiles)";
    for (int b : bords)
        EXPECT_GT(b, 0) << "every border should be reached";
}

} // namespace
