// libFuzzer target for the level loader: every input is written to a file and read exactly as the game
// reads map/base_map.txt (ArrayMap::genereMap, then verifieNiveau and verifieTileset). Any crash or
// sanitizer report is a finding, and so is a level that the checks accept while it breaks something the
// tile grid or the movement rules rely on. On accepted levels a short key sequence then goes through the
// real movement rules, which need an X display: their hero and tile grid hold SFML textures.

#include <SFML/Graphics.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "ArrayMap.hpp"
#include "Demarrage.hpp"
#include "Hero.hpp"
#include "Regles.hpp"
#include "TileMap.hpp"
#include "ValideNiveau.hpp"

namespace {

namespace fs = std::filesystem;

fs::path g_dossier;            // this run's scratch folder
std::string g_niveau;          // the level file that every input is written to
std::string g_feuille;         // the hero's sprite sheet
bool g_marche = false;         // whether there is a display for the movement rules
long g_acceptes = 0;           // accepted levels, their tileset included
std::unique_ptr<Hero> g_perso; // one hero for the whole run: its texture keeps SFML's GL context alive

// Two tilesets, so that both the refusal of a too narrow image and the accepted case are reached.
struct Tileset {
    std::string chemin;
    sf::Vector2u taille;
};
Tileset g_tilesets[2];

[[noreturn]] void echec(const std::string& quoi, const ArrayMap& carte) {
    std::fprintf(stderr, "fuzz_niveau: accepted level %s|%g|%g|%d|%d: %s\n", carte.m_chemin_tileset.c_str(),
                 carte.m_largeur_tile, carte.m_hauteur_tile, carte.m_largeur_map_en_tiles, carte.m_hauteur_map_en_tiles,
                 quoi.c_str());
    std::abort();
}

std::uint64_t empreinte(const std::uint8_t* data, std::size_t size) {
    std::uint64_t h = 1469598103934665603ull; // FNV-1a: the same input always walks the same keys
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

std::string ecritImage(const char* nom, unsigned int largeur, unsigned int hauteur) {
    sf::Image image;
    image.create(largeur, hauteur, sf::Color(40, 90, 160));
    const std::string chemin = (g_dossier / nom).string();
    if (!image.saveToFile(chemin))
        std::abort();
    return chemin;
}

void nettoie() {
    std::fprintf(stderr, "fuzz_niveau: %ld accepted levels%s\n", g_acceptes,
                 g_marche ? ", each walked through the movement rules" : "");
    g_perso.reset();
    std::error_code ignore;
    fs::remove_all(g_dossier, ignore);
}

// What the game relies on once a level is accepted, computed here on its own terms (64-bit and double
// where the game's types could overflow or round) rather than through the checks under test.
void verifieInvariants(const ArrayMap& carte) {
    const std::int64_t W = carte.m_largeur_map_en_tiles;
    const std::int64_t H = carte.m_hauteur_map_en_tiles;
    const double tw = carte.m_largeur_tile;
    const double th = carte.m_hauteur_tile;
    if (carte.getChampsParLigne().empty() || carte.getChampsParLigne()[0] < 5)
        echec("header with fewer than five fields", carte);
    if (!carte.getChampsInvalides().empty())
        echec("a field that is not a 32-bit number", carte);
    if (W < 3 || H < 3)
        echec("fewer than 3 cells across or down", carte);
    if (W * H > 2048 * 2048)
        echec("more cells than 2048 x 2048", carte);
    if (!(tw >= 1 && th >= 1 && tw <= 4096 && th <= 4096) || tw != static_cast<double>(static_cast<int>(tw)) ||
        th != static_cast<double>(static_cast<int>(th)))
        echec("tile size outside 1 to 4096 whole pixels", carte);
    if (static_cast<double>(W) * tw > 16777216.0 || static_cast<double>(H) * th > 16777216.0)
        echec("pixel size beyond 2^24", carte);
    if (static_cast<std::int64_t>(carte.getLevel().size()) < W * H)
        echec("fewer tile numbers than W x H", carte);
    if (static_cast<std::int64_t>(carte.getPresences().size()) < W * H)
        echec("fewer presence entries than W x H", carte);
    const float x = 48.f / carte.m_largeur_tile; // the rules' own single precision
    const float y = 48.f / carte.m_hauteur_tile;
    if (!(x >= 1.f && x <= static_cast<float>(W - 2) && y >= 1.f && y <= static_cast<float>(H - 2)))
        echec("hero start outside the interior", carte);
}

// Presses arrow keys through the game's own handler, with the repeat gate always open, and checks after
// each press that the hero is where the border guards must keep it: within a step of columns 1 to W - 2
// and rows 1 to H - 2, and exactly within them on an axis where the start lies on a quarter tile.
void marche(const ArrayMap& carte, const Tileset& tileset, std::uint64_t graine) {
    const std::vector<int> level = carte.getLevel();
    const std::vector<bool> presences = carte.getPresences();
    const unsigned int tw = static_cast<unsigned int>(carte.m_largeur_tile);
    const unsigned int th = static_cast<unsigned int>(carte.m_hauteur_tile);
    const int W = carte.m_largeur_map_en_tiles;
    const int H = carte.m_hauteur_map_en_tiles;
    TileMap map;
    if (!map.load(tileset.chemin, sf::Vector2u(tw, th), level.data(), static_cast<unsigned int>(W),
                  static_cast<unsigned int>(H)))
        echec("the tile grid refuses it", carte);

    Hero& perso = *g_perso;
    perso.setPosition(demarrage::depart_heros, demarrage::depart_heros);
    EtatBoucle etat = creeEtatBoucle(carte);
    Monde monde{perso, map, presences, carte};
    const bool grille_x = 192 % tw == 0;
    const bool grille_y = 192 % th == 0;
    const float marge = 1e-3f;
    const sf::Keyboard::Key fleches[] = {sf::Keyboard::Right, sf::Keyboard::Left, sf::Keyboard::Up, sf::Keyboard::Down};
    for (int appui = 0; appui < 32; ++appui) {
        graine = graine * 6364136223846793005ull + 1442695040888963407ull;
        etat.timer = sf::milliseconds(150);
        gereAppui(fleches[graine >> 62], etat, monde, sf::Vector2u(720, 336));
        const float x = perso.getPosition().x / carte.m_largeur_tile;
        const float y = perso.getPosition().y / carte.m_hauteur_tile;
        const bool dedans = x > 0.75f - marge && x < W - 1.75f + marge && y > 0.75f - marge && y < H - 1.75f + marge &&
                            (!grille_x || (x >= 1.f && x <= W - 2.f)) && (!grille_y || (y >= 1.f && y <= H - 2.f));
        if (!dedans)
            echec("the hero left the interior at (" + std::to_string(x) + ", " + std::to_string(y) + ")", carte);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::error_code erreur;
    g_dossier = fs::temp_directory_path() / ("orpa_fuzz_" + std::to_string(::getpid()));
    fs::create_directories(g_dossier, erreur);
    if (erreur)
        std::abort();
    g_niveau = (g_dossier / "base_map.txt").string();
    g_feuille = ecritImage("Pelmur.png", 72, 128);
    g_tilesets[0] = {ecritImage("etroit.png", 20, 20), sf::Vector2u(20, 20)};
    g_tilesets[1] = {ecritImage("large.png", 96, 96), sf::Vector2u(96, 96)};
    std::atexit(nettoie);

    const char* affichage = std::getenv("DISPLAY");
    if (affichage && *affichage) {
        g_perso = std::make_unique<Hero>();
        if (!chargeHeros(*g_perso, g_feuille))
            std::abort();
        g_marche = true;
    } else {
        std::fprintf(stderr, "fuzz_niveau: no DISPLAY, accepted levels are not walked through the movement "
                             "rules (their hero and tile grid need SFML textures)\n");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream fichier(g_niveau, std::ios::binary | std::ios::trunc);
        fichier.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ArrayMap carte;
    carte.genereMap(g_niveau);
    const std::vector<ProblemeNiveau> problemes = verifieNiveau(carte);
    for (const ProblemeNiveau& p : problemes)
        if (formateProbleme("map/base_map.txt", p).find_first_of("\r\n") != std::string::npos)
            std::abort(); // a message must stay on its one line
    if (contientErreur(problemes))
        return 0;
    verifieInvariants(carte);

    const std::uint64_t graine = empreinte(data, size);
    const Tileset& tileset = g_tilesets[graine & 1];
    if (contientErreur(verifieTileset(carte, tileset.taille)))
        return 0;
    if (static_cast<float>(tileset.taille.x) < carte.m_largeur_tile)
        echec("a tileset narrower than one tile", carte);
    ++g_acceptes;
    if (g_marche)
        marche(carte, tileset, graine);
    return 0;
}
