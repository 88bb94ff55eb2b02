#include "ArrayMap.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iostream>

ArrayMap::ArrayMap()
    : m_largeur_tile(0.f), m_hauteur_tile(0.f), m_largeur_map_en_tiles(0), m_hauteur_map_en_tiles(0), m_ouvert(false) {}

ArrayMap::~ArrayMap() = default;

void ArrayMap::genereMap(std::string fichier_map) {
    std::ifstream niveau(fichier_map);
    if (!niveau) {
        m_ouvert = false;
        std::cout << "Erreur chargement niveau" << std::endl;
        return;
    }
    m_ouvert = true;

    int compteur = 0;
    std::string ligne;
    while (std::getline(niveau, ligne)) {
        // A carriage return belongs to the line end only when a line feed follows it;
        // getline stops at end of file without one, and then the line is kept whole.
        if (!niveau.eof() && !ligne.empty() && ligne.back() == '\r')
            ligne.pop_back();

        const std::vector<std::string> infos = split(ligne, '|');
        const int taille = static_cast<int>(infos.size());
        m_champs_par_ligne.push_back(taille);
        m_fins_par_separateur.push_back(!ligne.empty() && ligne.back() == '|');

        if (compteur == 0) {
            // A short header leaves the missing values at 0; the level check refuses it.
            m_chemin_tileset = infos[0];
            m_largeur_tile = taille > 1 ? static_cast<float>(litEntier(infos[1], 0, 1)) : 0.f;
            m_hauteur_tile = taille > 2 ? static_cast<float>(litEntier(infos[2], 0, 2)) : 0.f;
            m_largeur_map_en_tiles = taille > 3 ? litEntier(infos[3], 0, 3) : 0;
            m_hauteur_map_en_tiles = taille > 4 ? litEntier(infos[4], 0, 4) : 0;
        } else if (compteur >= 1 && compteur <= m_hauteur_map_en_tiles) {
            for (int i = 0; i < taille; ++i)
                m_v_level.push_back(litEntier(infos[i], compteur, i));
        } else {
            for (int i = 0; i < taille; ++i)
                m_v_presence.push_back(infos[i] != "0");
        }
        ++compteur;
    }
}

std::vector<int> ArrayMap::getLevel() const {
    return m_v_level;
}

std::vector<bool> ArrayMap::getPresences() const {
    return m_v_presence;
}

bool ArrayMap::estOuvert() const {
    return m_ouvert;
}

int ArrayMap::getNombreLignes() const {
    return static_cast<int>(m_champs_par_ligne.size());
}

const std::vector<int>& ArrayMap::getChampsParLigne() const {
    return m_champs_par_ligne;
}

const std::vector<ChampInvalide>& ArrayMap::getChampsInvalides() const {
    return m_champs_invalides;
}

const std::vector<bool>& ArrayMap::getFinsParSeparateur() const {
    return m_fins_par_separateur;
}

std::vector<std::string> ArrayMap::split(std::string chaine, char separateur) const {
    std::vector<std::string> resultat;
    std::string string_intermediaire;
    const std::size_t limite = chaine.size();
    for (std::size_t p = 0; p <= limite; ++p) {
        if (p == limite || chaine[p] == separateur) {
            resultat.push_back(string_intermediaire);
            string_intermediaire.clear();
        } else {
            string_intermediaire += chaine[p];
        }
    }
    return resultat;
}

int ArrayMap::litEntier(const std::string& champ, int ligne, int numero) {
    // strtol skips the same leading white space, takes one sign and stops at the first
    // non-digit; it never throws, and its long is wide enough to see a 32-bit overflow.
    const char* debut = champ.c_str();
    char* fin = nullptr;
    errno = 0;
    const long valeur = std::strtol(debut, &fin, 10);
    if (fin == debut || errno == ERANGE || valeur < INT_MIN || valeur > INT_MAX) {
        // Past the digits means the digits were there and only the range failed.
        m_champs_invalides.push_back(ChampInvalide{ligne, numero, champ, fin != debut});
        return 0;
    }
    return static_cast<int>(valeur);
}
