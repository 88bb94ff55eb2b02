#include "ArrayMap.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "outils_test.hpp"

// Found by argument-dependent lookup, so they live beside ChampInvalide in the global namespace.
static bool operator==(const ChampInvalide& a, const ChampInvalide& b) {
    return a.ligne == b.ligne && a.champ == b.champ && a.texte == b.texte;
}

static void PrintTo(const ChampInvalide& c, std::ostream* os) {
    *os << "{ligne " << c.ligne << ", champ " << c.champ << ", \"" << c.texte << "\"}";
}

namespace {

// A level 3 cells wide and 2 high with 32-pixel tiles, written with bare line feeds.
const std::string niveau_exemple = "tilesets/decor.png|32|32|3|2\n"
                                   "0|1|2\n"
                                   "3|3|4\n"
                                   "0|1|0\n"
                                   "0|0|1\n";
const std::vector<int> tuiles_exemple{0, 1, 2, 3, 3, 4};
const std::vector<bool> presences_exemple{false, true, false, false, false, true};

std::string remplace(std::string texte, const std::string& motif, const std::string& par) {
    for (std::size_t p = texte.find(motif); p != std::string::npos; p = texte.find(motif, p + par.size()))
        texte.replace(p, motif.size(), par);
    return texte;
}

class ArrayMapTest : public ::testing::Test {
protected:
    // Loads `contenu`, written to a file of its own, into `carte` and returns what the loader wrote on
    // standard output.
    std::string charge(ArrayMap& carte, const std::string& contenu) {
        const std::string chemin = m_dossier.ecrit("niveau_" + std::to_string(m_fichiers++) + ".txt", contenu).string();
        testing::internal::CaptureStdout();
        carte.genereMap(chemin);
        return testing::internal::GetCapturedStdout();
    }

    static void verifieExemple(const ArrayMap& carte) {
        EXPECT_TRUE(carte.estOuvert());
        EXPECT_EQ(carte.m_chemin_tileset, "tilesets/decor.png");
        EXPECT_EQ(carte.m_largeur_tile, 32.f);
        EXPECT_EQ(carte.m_hauteur_tile, 32.f);
        EXPECT_EQ(carte.m_largeur_map_en_tiles, 3);
        EXPECT_EQ(carte.m_hauteur_map_en_tiles, 2);
        EXPECT_EQ(carte.getLevel(), tuiles_exemple);
        EXPECT_EQ(carte.getPresences(), presences_exemple);
        EXPECT_TRUE(carte.getChampsInvalides().empty());
    }

    static void verifieVide(const ArrayMap& carte) {
        EXPECT_EQ(carte.m_chemin_tileset, "");
        EXPECT_EQ(carte.m_largeur_tile, 0.f);
        EXPECT_EQ(carte.m_hauteur_tile, 0.f);
        EXPECT_EQ(carte.m_largeur_map_en_tiles, 0);
        EXPECT_EQ(carte.m_hauteur_map_en_tiles, 0);
        EXPECT_TRUE(carte.getLevel().empty());
        EXPECT_TRUE(carte.getPresences().empty());
        EXPECT_EQ(carte.getNombreLignes(), 0);
        EXPECT_TRUE(carte.getChampsInvalides().empty());
    }

    outils::DossierTemp m_dossier;
    int m_fichiers = 0;
};

TEST_F(ArrayMapTest, ReadsTheExampleLevel) {
    ArrayMap carte;
    EXPECT_EQ(charge(carte, niveau_exemple), "");
    verifieExemple(carte);
    EXPECT_EQ(carte.getChampsParLigne(), (std::vector<int>{5, 3, 3, 3, 3}));
    EXPECT_EQ(carte.getNombreLignes(), 5);
}

TEST_F(ArrayMapTest, CrLfAndAMissingFinalLineFeedReadLikeBareLineFeeds) {
    const std::string crlf = remplace(niveau_exemple, "\n", "\r\n");
    std::vector<bool> dernier_libre = presences_exemple;
    dernier_libre.back() = false;
    const struct {
        const char* nom;
        std::string contenu;
        std::vector<bool> presences;
    } cas[] = {
        {"CR LF", crlf, presences_exemple},
        {"CR LF, none after the last line", crlf.substr(0, crlf.size() - 2), presences_exemple},
        {"LF, none after the last line", niveau_exemple.substr(0, niveau_exemple.size() - 1), presences_exemple},
        // The last field of the row is a 0 right before the CR LF: it must still read free.
        {"CR LF, last field 0", remplace(crlf, "0|0|1\r\n", "0|0|0\r\n"), dernier_libre},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        ArrayMap carte;
        charge(carte, c.contenu);
        EXPECT_EQ(carte.m_chemin_tileset, "tilesets/decor.png");
        EXPECT_EQ(carte.m_hauteur_map_en_tiles, 2);
        EXPECT_EQ(carte.getLevel(), tuiles_exemple);
        EXPECT_EQ(carte.getPresences(), c.presences);
        EXPECT_EQ(carte.getChampsParLigne(), (std::vector<int>{5, 3, 3, 3, 3}));
    }
}

TEST_F(ArrayMapTest, CarriageReturnNotFollowedByLineFeedStaysInTheField) {
    // Line 3 has a CR inside it, and the file ends with a CR and no line feed.
    ArrayMap carte;
    charge(carte, "tilesets/decor.png|32|32|3|2\n0|1|2\n3|3|4\n0\r|1|0\n0|0|0\r");
    EXPECT_EQ(carte.getPresences(), (std::vector<bool>{true, true, false, false, false, true}));
}

TEST_F(ArrayMapTest, TrailingEmptyLineAddsOneBlockedEntry) {
    for (const std::string& contenu : {niveau_exemple + "\n", remplace(niveau_exemple + "\n", "\n", "\r\n")}) {
        SCOPED_TRACE(contenu);
        ArrayMap carte;
        charge(carte, contenu);
        EXPECT_EQ(carte.getLevel(), tuiles_exemple);
        std::vector<bool> attendu = presences_exemple;
        attendu.push_back(true);
        EXPECT_EQ(carte.getPresences(), attendu);
        EXPECT_EQ(carte.getChampsParLigne(), (std::vector<int>{5, 3, 3, 3, 3, 1}));
    }
}

TEST_F(ArrayMapTest, OnlyTheExactTextZeroIsFree) {
    const struct {
        const char* ligne;
        std::vector<bool> attendu;
    } cas[] = {
        {"0|0|0", {false, false, false}}, {"1|2|00", {true, true, true}},    {" 0|0 |\t0", {true, true, true}},
        {"-0|+0|O", {true, true, true}},  {"0||0", {false, true, false}},    {"|0|0", {true, false, false}},
        {"0|0|", {false, false, true}},   {"0\r|0|0", {true, false, false}}, {"", {true}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.ligne);
        ArrayMap carte;
        charge(carte, std::string("t.png|32|32|3|1\n7|7|7\n") + c.ligne + "\n");
        EXPECT_EQ(carte.getPresences(), c.attendu);
        EXPECT_EQ(carte.getLevel(), (std::vector<int>{7, 7, 7}));
    }
}

TEST_F(ArrayMapTest, PresenceRowEndingWithSeparatorShiftsLaterEntries) {
    ArrayMap carte;
    charge(carte, remplace(niveau_exemple, "0|1|0\n", "0|1|0|\n"));
    EXPECT_EQ(carte.getLevel(), tuiles_exemple);
    const std::vector<bool> presences = carte.getPresences();
    EXPECT_EQ(presences, (std::vector<bool>{false, true, false, true, false, false, true}));
    // Cell (0, 1), entry 3, now reads the extra empty field and is blocked.
    ASSERT_GT(presences.size(), 3u);
    EXPECT_TRUE(presences[3]);
}

TEST_F(ArrayMapTest, TileFieldsReadAsBase10Integers) {
    const struct {
        std::string champ;
        int valeur;
        bool invalide;
    } cas[] = {
        {" 7", 7, false},
        {"\t\v\f 7", 7, false},
        {"7a", 7, false},
        {"12px", 12, false},
        {"7 8", 7, false},
        {"+7", 7, false},
        {"007", 7, false},
        {"-1", -1, false},
        {"2147483647", INT_MAX, false},
        {"-2147483648", INT_MIN, false},
        {"abc", 0, true},
        {"", 0, true},
        {" ", 0, true},
        {"+", 0, true},
        {"- 7", 0, true},
        {"2147483648", 0, true},
        {"-2147483649", 0, true},
        {"99999999999999999999", 0, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE("field \"" + c.champ + "\"");
        ArrayMap carte;
        EXPECT_EQ(charge(carte, "t.png|32|32|3|1\n5|" + c.champ + "|6\n0|0|0\n"), "");
        EXPECT_EQ(carte.getLevel(), (std::vector<int>{5, c.valeur, 6}));
        EXPECT_EQ(carte.getPresences(), (std::vector<bool>{false, false, false}));
        std::vector<ChampInvalide> attendu;
        if (c.invalide)
            attendu.push_back(ChampInvalide{1, 1, c.champ});
        EXPECT_EQ(carte.getChampsInvalides(), attendu);
    }
}

TEST_F(ArrayMapTest, UnreadableHeaderNumberReadsAsZeroAndIsRecorded) {
    const struct {
        int champ;
        const char* texte;
    } cas[] = {{1, "abc"}, {2, ""}, {3, " "}, {4, "-2147483649"}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.champ);
        std::vector<std::string> champs{"tilesets/decor.png", "32", "32", "3", "2"};
        champs[c.champ] = c.texte;
        std::string entete = champs[0];
        for (std::size_t i = 1; i < champs.size(); ++i)
            entete += "|" + champs[i];
        ArrayMap carte;
        charge(carte, entete + niveau_exemple.substr(niveau_exemple.find('\n')));

        EXPECT_EQ(carte.m_chemin_tileset, "tilesets/decor.png");
        EXPECT_EQ(carte.m_largeur_tile, c.champ == 1 ? 0.f : 32.f);
        EXPECT_EQ(carte.m_hauteur_tile, c.champ == 2 ? 0.f : 32.f);
        EXPECT_EQ(carte.m_largeur_map_en_tiles, c.champ == 3 ? 0 : 3);
        EXPECT_EQ(carte.m_hauteur_map_en_tiles, c.champ == 4 ? 0 : 2);
        EXPECT_EQ(carte.getChampsInvalides(), (std::vector<ChampInvalide>{{0, c.champ, c.texte}}));
        if (c.champ == 4) {
            // H = 0: the four lines after the header are all presence rows.
            EXPECT_TRUE(carte.getLevel().empty());
            EXPECT_EQ(carte.getPresences().size(), 12u);
        } else {
            EXPECT_EQ(carte.getLevel(), tuiles_exemple);
            EXPECT_EQ(carte.getPresences(), presences_exemple);
        }
    }
}

TEST_F(ArrayMapTest, ShortHeaderLeavesTheMissingNumbersAtZero) {
    const struct {
        const char* entete;
        const char* chemin;
        float largeur_tile, hauteur_tile;
        int w, h, champs;
    } cas[] = {
        {"", "", 0.f, 0.f, 0, 0, 1},
        {"t.png", "t.png", 0.f, 0.f, 0, 0, 1},
        {"t.png|16", "t.png", 16.f, 0.f, 0, 0, 2},
        {"t.png|16|8|4", "t.png", 16.f, 8.f, 4, 0, 4},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.entete);
        ArrayMap carte;
        charge(carte, std::string(c.entete) + "\n0|1\n");
        EXPECT_EQ(carte.m_chemin_tileset, c.chemin);
        EXPECT_EQ(carte.m_largeur_tile, c.largeur_tile);
        EXPECT_EQ(carte.m_hauteur_tile, c.hauteur_tile);
        EXPECT_EQ(carte.m_largeur_map_en_tiles, c.w);
        EXPECT_EQ(carte.m_hauteur_map_en_tiles, c.h);
        EXPECT_TRUE(carte.getChampsInvalides().empty()); // a missing field is not an unreadable one
        ASSERT_FALSE(carte.getChampsParLigne().empty());
        EXPECT_EQ(carte.getChampsParLigne()[0], c.champs);
        // H is 0, so the next line is a presence row.
        EXPECT_TRUE(carte.getLevel().empty());
        EXPECT_EQ(carte.getPresences(), (std::vector<bool>{false, true}));
    }
}

TEST_F(ArrayMapTest, PathKeepsItsBlanks) {
    ArrayMap carte;
    charge(carte, remplace(niveau_exemple, "tilesets/decor.png|", " tilesets/mon decor.png\t|"));
    EXPECT_EQ(carte.m_chemin_tileset, " tilesets/mon decor.png\t");
    EXPECT_EQ(carte.getLevel(), tuiles_exemple);
}

TEST_F(ArrayMapTest, HeaderFieldsAfterTheFifthAreIgnored) {
    ArrayMap carte;
    charge(carte, remplace(niveau_exemple, "|3|2\n", "|3|2|9|abc|\n"));
    verifieExemple(carte); // includes: "abc" is not recorded as unreadable
    EXPECT_EQ(carte.getChampsParLigne(), (std::vector<int>{8, 3, 3, 3, 3}));
}

TEST_F(ArrayMapTest, HeightOfZeroOrLessMakesEveryLaterLineAPresenceRow) {
    for (const int h : {0, -1, INT_MIN}) {
        SCOPED_TRACE(h);
        ArrayMap carte;
        charge(carte, "t.png|32|32|2|" + std::to_string(h) + "\n1|0\n0|x\n");
        EXPECT_EQ(carte.m_hauteur_map_en_tiles, h);
        EXPECT_TRUE(carte.getLevel().empty());
        EXPECT_EQ(carte.getPresences(), (std::vector<bool>{true, false, false, true}));
        EXPECT_TRUE(carte.getChampsInvalides().empty());
    }
}

TEST_F(ArrayMapTest, FewerTileRowsThanHeightGiveNoPresenceEntries) {
    ArrayMap carte;
    EXPECT_EQ(charge(carte, "t.png|32|32|2|5\n1|2\n3|4\n"), "");
    EXPECT_EQ(carte.getLevel(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(carte.getPresences().empty());
    EXPECT_TRUE(carte.getChampsInvalides().empty());
    EXPECT_EQ(carte.getNombreLignes(), 3);
}

TEST_F(ArrayMapTest, FileThatCannotBeOpenedPrintsOneLineAndLeavesTheLoaderEmpty) {
    for (const std::string& chemin : {(m_dossier.chemin() / "absent.txt").string(), std::string()}) {
        SCOPED_TRACE("path \"" + chemin + "\"");
        ArrayMap carte;
        testing::internal::CaptureStdout();
        carte.genereMap(chemin);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Erreur chargement niveau\n");
        EXPECT_FALSE(carte.estOuvert());
        verifieVide(carte);
    }
}

TEST_F(ArrayMapTest, EmptyFileSetsNothingAndPrintsNothing) {
    ArrayMap carte;
    EXPECT_EQ(charge(carte, ""), "");
    EXPECT_TRUE(carte.estOuvert());
    verifieVide(carte);
}

TEST_F(ArrayMapTest, GettersReturnIndependentCopies) {
    ArrayMap carte;
    charge(carte, niveau_exemple);

    std::vector<int> tuiles = carte.getLevel();
    const std::vector<int> autres_tuiles = carte.getLevel();
    EXPECT_EQ(tuiles, autres_tuiles);
    tuiles[0] = 99;
    EXPECT_EQ(carte.getLevel(), tuiles_exemple);
    EXPECT_EQ(autres_tuiles, tuiles_exemple);

    std::vector<bool> presences = carte.getPresences();
    const std::vector<bool> autres_presences = carte.getPresences();
    EXPECT_EQ(presences, autres_presences);
    presences[0] = true;
    EXPECT_EQ(carte.getPresences(), presences_exemple);
    EXPECT_EQ(autres_presences, presences_exemple);
}

TEST_F(ArrayMapTest, CountsTheFieldsOfEveryLine) {
    // Every "|" ends a field and the line end ends the last one, empty lines included.
    ArrayMap carte;
    charge(carte, "t.png|32|32|1|0|\n\n|\na||b|");
    EXPECT_EQ(carte.getChampsParLigne(), (std::vector<int>{6, 1, 2, 4}));
    EXPECT_EQ(carte.getNombreLignes(), 4);
    EXPECT_EQ(carte.getPresences(), std::vector<bool>(7, true));
}

} // namespace
