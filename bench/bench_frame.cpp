// What a frame of the game costs, and what a step of the hero and the start-up cost.
//
// For levels of 30 x 20, 100 x 100, 300 x 300 and 1000 x 1000 cells of 48 pixels, written with their
// tileset and a hero sheet into a temporary folder and loaded exactly as the game loads its level, it
// opens the game's 720 x 336 window and draws real frames through the game's own code at three view
// positions, then prints the median time of a frame, its ratio to a floor frame (clear, one textured
// rectangle over the whole view, display) measured in the same run, and the process's peak memory.
//
//   bench_frame [--json] [--images N]    N frames per level (default 600)
//
// A frame is timed from the start of its event polling to the return of display(), as one pass of
// the game's loop. Frames of every level and view take turns, each after a floor frame, so that a slow
// spell of the machine weighs on all of them alike. It also times a key press that steps the hero,
// with the parts of the frame reload it does, and the start-up of a process doing what main does up
// to its first frame on the 30 x 20 level.

#include <SFML/Graphics.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ArrayMap.hpp"
#include "Demarrage.hpp"
#include "Hero.hpp"
#include "Regles.hpp"
#include "TileMap.hpp"

extern char** environ;

namespace fs = std::filesystem;
using Horloge = std::chrono::steady_clock;

namespace {

const unsigned int taille_tuile = 48;

double millisecondes(Horloge::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double mediane(std::vector<double> valeurs) {
    if (valeurs.empty())
        return 0.0;
    std::sort(valeurs.begin(), valeurs.end());
    const std::size_t n = valeurs.size();
    return n % 2 ? valeurs[n / 2] : (valeurs[n / 2 - 1] + valeurs[n / 2]) / 2.0;
}

double centile(std::vector<double> valeurs, double p) {
    if (valeurs.empty())
        return 0.0;
    std::sort(valeurs.begin(), valeurs.end());
    return valeurs[static_cast<std::size_t>(p * static_cast<double>(valeurs.size() - 1))];
}

// A line "VmHWM:  1234 kB" of /proc/self/status, in MiB.
double memoireMo(const char* champ) {
    std::ifstream status("/proc/self/status");
    std::string ligne;
    const std::size_t longueur = std::strlen(champ);
    while (std::getline(status, ligne))
        if (ligne.compare(0, longueur, champ) == 0)
            return std::atof(ligne.c_str() + longueur + 1) / 1024.0;
    return 0.0;
}

// --- The files: all made here ---------------------------------------------------------------------

// 8 x 4 tiles of 48 pixels, each its own colour with a gradient, so the rasteriser has real texels.
bool ecritTileset(const std::string& chemin) {
    sf::Image image;
    image.create(8 * taille_tuile, 4 * taille_tuile);
    for (unsigned int y = 0; y < image.getSize().y; ++y)
        for (unsigned int x = 0; x < image.getSize().x; ++x) {
            const unsigned int n = (x / taille_tuile) + 8 * (y / taille_tuile);
            image.setPixel(x, y,
                           sf::Color(static_cast<sf::Uint8>(20 + 7 * n), static_cast<sf::Uint8>(x % taille_tuile * 5),
                                     static_cast<sf::Uint8>(y % taille_tuile * 5), 255));
        }
    return image.saveToFile(chemin);
}

// A hero sheet of three columns 24 pixels apart and four rows 32 apart, as the hero reads it.
bool ecritPlanche(const std::string& chemin) {
    sf::Image image;
    image.create(3 * 24, 4 * 32, sf::Color(0, 0, 0, 0));
    for (unsigned int y = 0; y < image.getSize().y; ++y)
        for (unsigned int x = 0; x < image.getSize().x; ++x)
            if ((x % 24) >= 4 && (x % 24) < 20 && (y % 32) >= 2)
                image.setPixel(
                    x, y,
                    sf::Color(static_cast<sf::Uint8>(60 * (x / 24)), static_cast<sf::Uint8>(50 * (y / 32)), 200, 255));
    return image.saveToFile(chemin);
}

// A level of largeur x hauteur cells: varied tile numbers, free cells inside a blocked outer ring.
bool ecritNiveau(const std::string& chemin, const std::string& tileset, unsigned int largeur, unsigned int hauteur) {
    std::ofstream niveau(chemin, std::ios::binary);
    niveau << tileset << '|' << taille_tuile << '|' << taille_tuile << '|' << largeur << '|' << hauteur << '\n';
    for (unsigned int y = 0; y < hauteur; ++y)
        for (unsigned int x = 0; x < largeur; ++x)
            niveau << (5 * x + 11 * y) % 32 << (x + 1 < largeur ? '|' : '\n');
    for (unsigned int y = 0; y < hauteur; ++y)
        for (unsigned int x = 0; x < largeur; ++x) {
            const bool bord = x == 0 || y == 0 || x + 1 == largeur || y + 1 == hauteur;
            niveau << (bord ? '1' : '0') << (x + 1 < largeur ? '|' : '\n');
        }
    return static_cast<bool>(niveau);
}

struct Fichiers {
    fs::path dossier;
    std::string planche;
    std::string niveau(unsigned int largeur, unsigned int hauteur) const {
        return (dossier / ("niveau_" + std::to_string(largeur) + "x" + std::to_string(hauteur) + ".txt")).string();
    }
};

// --- The game's objects, made as main makes them ----------------------------------------------------

struct Partie {
    ArrayMap carte;
    std::vector<int> vector_level;
    std::vector<bool> vector_presences;
    std::vector<int> level;
    TileMap map;
    Hero perso;

    bool charge(const std::string& fichier_niveau, const std::string& planche) {
        return chargeNiveau(fichier_niveau) && chargeHeros(planche);
    }

    bool chargeNiveau(const std::string& fichier_niveau) {
        carte.genereMap(fichier_niveau);
        vector_level = carte.getLevel();
        vector_presences = carte.getPresences();
        level.assign(vector_level.begin(), vector_level.end());
        return ::chargeGrille(map, carte, level);
    }

    bool chargeHeros(const std::string& planche) { return ::chargeHeros(perso, planche); }
};

// Takes every pending event off the queue, as the frame loop does; none is expected here.
void videEvenements(sf::RenderWindow& window) {
    sf::Event event;
    while (window.pollEvent(event)) {
    }
}

// One pass of the game's frame loop, less the event handling: clear, view, tiles, hero, display.
void imageDuJeu(sf::RenderWindow& window, const sf::View& vue, const Partie& partie) {
    videEvenements(window);
    window.clear(sf::Color(0, 0, 0, 255));
    window.setView(vue);
    partie.map.dessine(window);
    partie.perso.dessine(window);
    window.display();
}

sf::RenderWindow* ouvreFenetre() {
    return new sf::RenderWindow(sf::VideoMode(720, 336, 32), sf::String("Orpa SFML"), sf::Style::Default,
                                sf::ContextSettings());
}

// --- Start-up: a child process that does what main does up to its first frame ------------------------

// Prints, on one line: the time from the start of main to the return of the first display(), then its
// parts: opening the window, reading the level and building the tile grid, loading the hero, the frame.
int premiereImage(const std::string& fichier_niveau, const std::string& planche, Horloge::time_point debut) {
    std::unique_ptr<sf::RenderWindow> window(ouvreFenetre());
    const Horloge::time_point fenetre = Horloge::now();
    Partie partie;
    if (!partie.chargeNiveau(fichier_niveau))
        return 1;
    const Horloge::time_point niveau = Horloge::now();
    if (!partie.chargeHeros(planche))
        return 1;
    const Horloge::time_point heros = Horloge::now();
    EtatBoucle etat = creeEtatBoucle(partie.carte);
    etat.timer = etat.clock.getElapsedTime();
    imageDuJeu(*window, etat.view, partie);
    const Horloge::time_point fin = Horloge::now();
    std::printf("%.6f %.6f %.6f %.6f %.6f\n", millisecondes(fin - debut), millisecondes(fenetre - debut),
                millisecondes(niveau - fenetre), millisecondes(heros - niveau), millisecondes(fin - heros));
    std::fflush(stdout);
    return 0;
}

struct Demarrage {
    double lancement_ms = 0; // from posix_spawn in the parent to the child's report of its first frame
    double interne_ms = 0;   // inside the child, from the start of main to the return of display()
    double fenetre_ms = 0, niveau_ms = 0, heros_ms = 0, image_ms = 0; // the parts of interne_ms
    int lancements = 0;                                               // launches that reported a frame
};

Demarrage mesureDemarrage(const std::string& fichier_niveau, const std::string& planche, int essais) {
    std::vector<double> lancements, internes, fenetres, niveaux, heros, images;
    for (int k = 0; k < 2 * essais && static_cast<int>(lancements.size()) < essais; ++k) {
        int tube[2];
        if (pipe(tube) != 0)
            break;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, tube[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, tube[0]);
        std::string soi = fs::read_symlink("/proc/self/exe").string();
        std::string option = "--premiere-image";
        std::vector<char*> arguments = {soi.data(), option.data(), const_cast<char*>(fichier_niveau.c_str()),
                                        const_cast<char*>(planche.c_str()), nullptr};
        pid_t enfant = 0;
        const Horloge::time_point debut = Horloge::now();
        const int erreur = posix_spawn(&enfant, soi.c_str(), &actions, nullptr, arguments.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(tube[1]);
        if (erreur != 0) {
            close(tube[0]);
            break;
        }
        std::string sortie;
        char tampon[128];
        ssize_t lus = 0;
        // The first line arrives when the child's first frame is on screen.
        while (sortie.find('\n') == std::string::npos && (lus = read(tube[0], tampon, sizeof tampon)) > 0)
            sortie.append(tampon, static_cast<std::size_t>(lus));
        const Horloge::time_point fin = Horloge::now();
        close(tube[0]);
        int statut = 0;
        waitpid(enfant, &statut, 0);
        if (sortie.empty() || !WIFEXITED(statut) || WEXITSTATUS(statut) != 0)
            continue;
        double interne = 0, fenetre = 0, niveau = 0, chargement_heros = 0, premiere = 0;
        if (std::sscanf(sortie.c_str(), "%lf %lf %lf %lf %lf", &interne, &fenetre, &niveau, &chargement_heros,
                        &premiere) != 5)
            continue;
        lancements.push_back(millisecondes(fin - debut));
        internes.push_back(interne);
        fenetres.push_back(fenetre);
        niveaux.push_back(niveau);
        heros.push_back(chargement_heros);
        images.push_back(premiere);
    }
    Demarrage d;
    d.lancements = static_cast<int>(lancements.size());
    d.lancement_ms = mediane(lancements);
    d.interne_ms = mediane(internes);
    d.fenetre_ms = mediane(fenetres);
    d.niveau_ms = mediane(niveaux);
    d.heros_ms = mediane(heros);
    d.image_ms = mediane(images);
    return d;
}

// --- Frames ----------------------------------------------------------------------------------------

struct Niveau {
    unsigned int largeur = 0, hauteur = 0;
    std::unique_ptr<Partie> partie;
    double chargement_ms = 0;
    double pic_mo = 0;   // VmHWM once this level is loaded (the smaller ones stay loaded too)
    double ajout_mo = 0; // how much that peak grew while this level was loaded
    std::vector<sf::View> vues;
    std::vector<std::vector<double>> temps; // per view, ms per frame
    double mediane_ms = 0;
};

std::vector<sf::View> vuesDe(unsigned int largeur, unsigned int hauteur) {
    const float l = static_cast<float>(largeur * taille_tuile);
    const float h = static_cast<float>(hauteur * taille_tuile);
    const sf::Vector2f taille(720.f, 336.f);
    // Start; the middle, a quarter tile off the grid as the scrolling view is; the far corner.
    return {sf::View(sf::Vector2f(360.f, 168.f), taille), sf::View(sf::Vector2f(l / 2 + 12.f, h / 2 + 12.f), taille),
            sf::View(sf::Vector2f(l - 360.f, h - 168.f), taille)};
}

const char* noms_vues[] = {"start", "middle", "corner"};

// --- Key presses -----------------------------------------------------------------------------------

struct Appuis {
    double appui_ms = 0, appui_p90_ms = 0; // gereAppui, right and left alternately, every press a step
    int pas = 0, appuis = 0;               // presses that moved the hero, out of all
    double anime_ms = 0;                   // Hero::anime alone: the frame reload from the sheet
    double texture_ms = 0;                 // sf::Texture::loadFromFile of the frame's area
    double image_ms = 0;                   // sf::Image::loadFromFile of the sheet: read and decode
    double lecture_ms = 0;                 // reading the sheet file's bytes
    double decodage_ms = 0;                // sf::Image::loadFromMemory: PNG decoding alone
    double envoi_ms = 0;                   // sf::Texture::loadFromImage of the area: the upload alone
};

template <typename F> double medianeDe(int fois, sf::RenderWindow& window, const sf::View& vue, const Partie& p, F f) {
    std::vector<double> temps;
    for (int k = 0; k < fois; ++k) {
        // A frame between two measures, as in the game, where presses arrive between frames.
        imageDuJeu(window, vue, p);
        const Horloge::time_point debut = Horloge::now();
        f(k);
        temps.push_back(millisecondes(Horloge::now() - debut));
    }
    return mediane(temps);
}

Appuis mesureAppuis(sf::RenderWindow& window, Partie& p, const std::string& planche, int fois) {
    Appuis r;
    EtatBoucle etat = creeEtatBoucle(p.carte);
    Monde monde{p.perso, p.map, p.vector_presences, p.carte};
    std::vector<double> temps;
    for (int k = 0; k < fois; ++k) {
        imageDuJeu(window, etat.view, p);
        const sf::Keyboard::Key touche = (k % 2 == 0) ? sf::Keyboard::Right : sf::Keyboard::Left;
        // Well past the repeat gate, and the direction changes anyway.
        etat.timer = sf::milliseconds(200);
        const float avant = p.perso.getPosition().x;
        const Horloge::time_point debut = Horloge::now();
        gereAppui(touche, etat, monde, window.getSize());
        temps.push_back(millisecondes(Horloge::now() - debut));
        ++r.appuis;
        if (p.perso.getPosition().x != avant)
            ++r.pas;
    }
    r.appui_ms = mediane(temps);
    r.appui_p90_ms = centile(temps, 0.9);
    p.perso.setPosition(48, 48);

    const sf::View& vue = etat.view;
    r.anime_ms = medianeDe(fois, window, vue, p, [&](int k) { p.perso.anime(k % 2 ? "gauche" : "droite", false); });
    const sf::IntRect zone(24, 32, 24, 32);
    r.texture_ms = medianeDe(fois, window, vue, p, [&](int) {
        sf::Texture t;
        t.loadFromFile(planche, zone);
    });
    r.image_ms = medianeDe(fois, window, vue, p, [&](int) {
        sf::Image i;
        i.loadFromFile(planche);
    });
    r.lecture_ms = medianeDe(fois, window, vue, p, [&](int) {
        std::ifstream f(planche, std::ios::binary);
        std::string octets((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    });
    std::ifstream f(planche, std::ios::binary);
    const std::string octets((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    r.decodage_ms = medianeDe(fois, window, vue, p, [&](int) {
        sf::Image i;
        i.loadFromMemory(octets.data(), octets.size());
    });
    sf::Image feuille;
    feuille.loadFromMemory(octets.data(), octets.size());
    r.envoi_ms = medianeDe(fois, window, vue, p, [&](int) {
        sf::Texture t;
        t.loadFromImage(feuille, zone);
    });
    return r;
}

// --- Output ----------------------------------------------------------------------------------------

struct Resultats {
    int images = 0;
    double plancher_ms = 0;
    std::vector<Niveau>* niveaux = nullptr;
    Appuis appuis;
    Demarrage demarrage;
};

std::string oui(bool b) {
    return b ? "yes" : "NO";
}

void imprimeTableau(const Resultats& r) {
    const std::vector<Niveau>& niveaux = *r.niveaux;
    const double reference = niveaux.front().mediane_ms;
    std::printf("Orpa frame benchmark: 720 x 336 window, tiles of 48 px, %d frames per level\n\n", r.images);
    std::printf("floor frame (clear, one textured rectangle over the view, display): %.3f ms\n\n", r.plancher_ms);
    std::printf("%-11s %9s %9s %9s %8s %8s %8s %8s %8s %9s %9s\n", "level", "cells", "load ms", "frame ms", "start",
                "middle", "corner", "x floor", "x 30x20", "peak MiB", "+MiB");
    for (const Niveau& n : niveaux) {
        const std::string nom = std::to_string(n.largeur) + " x " + std::to_string(n.hauteur);
        std::printf("%-11s %9u %9.1f %9.3f", nom.c_str(), n.largeur * n.hauteur, n.chargement_ms, n.mediane_ms);
        for (const std::vector<double>& t : n.temps)
            std::printf(" %8.3f", mediane(t));
        std::printf(" %8.2f %8.2f %9.1f %9.1f\n", n.mediane_ms / r.plancher_ms, n.mediane_ms / reference, n.pic_mo,
                    n.ajout_mo);
    }
    const Appuis& a = r.appuis;
    std::printf(
        "\nkey press that steps the hero (gereAppui, Right/Left alternately, frame reloaded from the sheet):\n");
    std::printf("  median %.3f ms, 90th percentile %.3f ms (%d of %d presses stepped)\n", a.appui_ms, a.appui_p90_ms,
                a.pas, a.appuis);
    std::printf("  where it goes: Hero::anime %.3f ms = Texture::loadFromFile(sheet, frame) %.3f ms\n", a.anime_ms,
                a.texture_ms);
    std::printf("    = Image::loadFromFile %.3f ms (file read %.3f + PNG decode %.3f) + upload of the frame %.3f ms\n",
                a.image_ms, a.lecture_ms, a.decodage_ms, a.envoi_ms);
    const Demarrage& d = r.demarrage;
    std::printf("\nstart-up to the first frame on screen, 30 x 20 level (median of %d launches of this program):\n",
                d.lancements);
    std::printf("  from launching the process: %.1f ms; inside it, from the start of main: %.1f ms\n", d.lancement_ms,
                d.interne_ms);
    std::printf("  of which: window %.1f ms, level and tile grid %.1f ms, hero %.1f ms, first frame %.1f ms\n",
                d.fenetre_ms, d.niveau_ms, d.heros_ms, d.image_ms);

    const double plus_grand = niveaux.back().mediane_ms;
    std::printf("\ngoals:\n");
    std::printf("  1000 x 1000 frame <= 1.2 x the 30 x 20 frame:  %.2f  %s\n", plus_grand / reference,
                oui(plus_grand <= 1.2 * reference).c_str());
    std::printf("  30 x 20 frame <= 1.15 x the floor:             %.2f  %s\n", reference / r.plancher_ms,
                oui(reference <= 1.15 * r.plancher_ms).c_str());
    std::printf("  stepping key press <= 0.25 ms:                 %.3f  %s\n", a.appui_ms,
                oui(a.appui_ms <= 0.25).c_str());
}

void imprimeJson(const Resultats& r) {
    const std::vector<Niveau>& niveaux = *r.niveaux;
    const double reference = niveaux.front().mediane_ms;
    std::printf("{\n  \"window\": [720, 336],\n  \"tile_px\": 48,\n  \"frames_per_level\": %d,\n", r.images);
    std::printf("  \"floor_ms\": %.4f,\n  \"levels\": [\n", r.plancher_ms);
    for (std::size_t k = 0; k < niveaux.size(); ++k) {
        const Niveau& n = niveaux[k];
        std::printf("    {\"width\": %u, \"height\": %u, \"cells\": %u, \"load_ms\": %.2f, \"frame_ms\": %.4f, ",
                    n.largeur, n.hauteur, n.largeur * n.hauteur, n.chargement_ms, n.mediane_ms);
        std::printf("\"frame_ms_by_view\": {");
        for (std::size_t v = 0; v < n.temps.size(); ++v)
            std::printf("%s\"%s\": %.4f", v ? ", " : "", noms_vues[v], mediane(n.temps[v]));
        std::printf("}, \"ratio_to_floor\": %.4f, \"ratio_to_30x20\": %.4f, \"peak_mib\": %.1f, "
                    "\"peak_growth_mib\": %.1f}%s\n",
                    n.mediane_ms / r.plancher_ms, n.mediane_ms / reference, n.pic_mo, n.ajout_mo,
                    k + 1 < niveaux.size() ? "," : "");
    }
    const Appuis& a = r.appuis;
    std::printf("  ],\n  \"key_press\": {\"median_ms\": %.4f, \"p90_ms\": %.4f, \"stepped\": %d, \"presses\": %d, ",
                a.appui_ms, a.appui_p90_ms, a.pas, a.appuis);
    std::printf("\"hero_anime_ms\": %.4f, \"texture_load_from_file_ms\": %.4f, \"image_load_from_file_ms\": %.4f, "
                "\"file_read_ms\": %.4f, \"png_decode_ms\": %.4f, \"frame_upload_ms\": %.4f},\n",
                a.anime_ms, a.texture_ms, a.image_ms, a.lecture_ms, a.decodage_ms, a.envoi_ms);
    const Demarrage& d = r.demarrage;
    std::printf("  \"startup_30x20\": {\"from_process_launch_ms\": %.2f, \"from_main_ms\": %.2f, \"window_ms\": %.2f, "
                "\"level_ms\": %.2f, \"hero_ms\": %.2f, \"first_frame_ms\": %.2f, \"launches\": %d},\n",
                d.lancement_ms, d.interne_ms, d.fenetre_ms, d.niveau_ms, d.heros_ms, d.image_ms, d.lancements);
    const double plus_grand = niveaux.back().mediane_ms;
    std::printf("  \"goals\": {\"largest_frame_within_1_2_of_30x20\": %s, \"frame_30x20_within_1_15_of_floor\": %s, "
                "\"key_press_within_0_25_ms\": %s}\n}\n",
                plus_grand <= 1.2 * reference ? "true" : "false", reference <= 1.15 * r.plancher_ms ? "true" : "false",
                a.appui_ms <= 0.25 ? "true" : "false");
}

} // namespace

int main(int argc, char** argv) {
    const Horloge::time_point debut_main = Horloge::now();
    if (argc == 4 && std::string(argv[1]) == "--premiere-image")
        return premiereImage(argv[2], argv[3], debut_main);

    bool json = false;
    int images = 600;
    for (int k = 1; k < argc; ++k) {
        const std::string option = argv[k];
        if (option == "--json")
            json = true;
        else if (option == "--images" && k + 1 < argc)
            images = std::max(30, std::atoi(argv[++k]));
        else {
            std::fprintf(stderr, "usage: %s [--json] [--images N]\n", argv[0]);
            return 2;
        }
    }

    Fichiers fichiers;
    fichiers.dossier = fs::temp_directory_path() / ("orpa_bench_" + std::to_string(getpid()));
    fs::create_directories(fichiers.dossier);
    const std::string tileset = (fichiers.dossier / "Decor.png").string();
    fichiers.planche = (fichiers.dossier / "Pelmur.png").string();
    std::vector<Niveau> niveaux;
    for (const unsigned int c : {30u, 100u, 300u, 1000u}) {
        niveaux.emplace_back();
        niveaux.back().largeur = c;
        niveaux.back().hauteur = c == 30 ? 20u : c;
    }
    bool ecrits = ecritTileset(tileset) && ecritPlanche(fichiers.planche);
    for (const Niveau& n : niveaux)
        ecrits = ecrits && ecritNiveau(fichiers.niveau(n.largeur, n.hauteur), tileset, n.largeur, n.hauteur);
    if (!ecrits) {
        std::fprintf(stderr, "cannot write the level files in %s\n", fichiers.dossier.c_str());
        return 1;
    }

    int statut = 0;
    {
        Resultats r;
        r.images = images;
        r.niveaux = &niveaux;
        // The window comes first: an X server left without clients resets between two launches and
        // refuses the next one while it does.
        std::unique_ptr<sf::RenderWindow> window(ouvreFenetre());
        r.demarrage = mesureDemarrage(fichiers.niveau(30, 20), fichiers.planche, 5);
        for (Niveau& n : niveaux) {
            const double pic_avant = memoireMo("VmHWM:");
            const Horloge::time_point debut = Horloge::now();
            n.partie = std::make_unique<Partie>();
            if (!n.partie->charge(fichiers.niveau(n.largeur, n.hauteur), fichiers.planche)) {
                std::fprintf(stderr, "cannot load the %u x %u level\n", n.largeur, n.hauteur);
                statut = 1;
                break;
            }
            n.chargement_ms = millisecondes(Horloge::now() - debut);
            n.pic_mo = memoireMo("VmHWM:");
            n.ajout_mo = n.pic_mo - pic_avant;
            n.vues = vuesDe(n.largeur, n.hauteur);
            n.temps.resize(n.vues.size());
        }

        if (statut == 0) {
            // The floor: what any frame costs here, drawing one textured rectangle over the whole view.
            sf::Texture texture_plancher;
            texture_plancher.loadFromFile(tileset);
            sf::Sprite plancher(texture_plancher);
            plancher.setScale(720.f / texture_plancher.getSize().x, 336.f / texture_plancher.getSize().y);
            const sf::View vue_plancher(sf::Vector2f(360.f, 168.f), sf::Vector2f(720.f, 336.f));
            std::vector<double> temps_plancher;

            const int tours = std::max(1, images / 3);
            // Warming up: the first frames of a window pay for the driver's set-up.
            for (Niveau& n : niveaux)
                for (const sf::View& vue : n.vues)
                    for (int k = 0; k < 10; ++k)
                        imageDuJeu(*window, vue, *n.partie);
            // Frame by frame, a floor frame before each level frame: whatever else the machine is doing
            // falls on both kinds alike, and so does the tail of the frame before.
            for (int tour = 0; tour < tours; ++tour)
                for (Niveau& n : niveaux)
                    for (std::size_t v = 0; v < n.vues.size(); ++v) {
                        Horloge::time_point debut = Horloge::now();
                        videEvenements(*window);
                        window->clear(sf::Color(0, 0, 0, 255));
                        window->setView(vue_plancher);
                        window->draw(plancher, sf::RenderStates::Default);
                        window->display();
                        temps_plancher.push_back(millisecondes(Horloge::now() - debut));

                        debut = Horloge::now();
                        imageDuJeu(*window, n.vues[v], *n.partie);
                        n.temps[v].push_back(millisecondes(Horloge::now() - debut));
                    }
            r.plancher_ms = mediane(temps_plancher);
            for (Niveau& n : niveaux) {
                std::vector<double> tous;
                for (const std::vector<double>& t : n.temps)
                    tous.insert(tous.end(), t.begin(), t.end());
                n.mediane_ms = mediane(tous);
            }
            r.images = tours * 3;

            r.appuis = mesureAppuis(*window, *niveaux.front().partie, fichiers.planche, 1000);

            if (json)
                imprimeJson(r);
            else
                imprimeTableau(r);
        }
    }
    std::error_code erreur;
    fs::remove_all(fichiers.dossier, erreur);
    return statut;
}
