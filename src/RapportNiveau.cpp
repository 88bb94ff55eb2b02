#include "RapportNiveau.hpp"

#include "TexteNiveau.hpp"

#include <SFML/Graphics/VertexArray.hpp>
#include <SFML/Graphics/View.hpp>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

const std::int64_t cote_heros = static_cast<std::int64_t>(demarrage::cote_heros);

using texte_niveau::avertissement;
using texte_niveau::cellule;
using texte_niveau::compte;
using texte_niveau::texte;

// The header values the warnings below need, or nothing when they cannot be trusted: then the game's
// own checks have already refused the header, and reading rows against it would only add noise.
struct Entete {
    std::int64_t W, H, tw, th;
};

bool litEntete(const ArrayMap& carte, Entete& entete) {
    if (!carte.estOuvert() || carte.getNombreLignes() == 0)
        return false;
    const float tw = carte.m_largeur_tile;
    const float th = carte.m_hauteur_tile;
    const float max = static_cast<float>(limites_niveau::taille_tile_max);
    if (!(tw >= 1.f && tw <= max && th >= 1.f && th <= max))
        return false;
    entete = Entete{carte.m_largeur_map_en_tiles, carte.m_hauteur_map_en_tiles, static_cast<std::int64_t>(tw),
                    static_cast<std::int64_t>(th)};
    return entete.W >= 1 && entete.H >= 1 && entete.W * entete.H <= limites_niveau::cases_max;
}

// Where entry k of a block of rows comes from: the loader reads the entries of lines `premiere` to
// `derniere` in file order, whatever each line's length, so entry k is not always on the row k / W.
struct Origine {
    std::int64_t ligne; ///< loader line, 0 for the header
    std::int64_t champ;
};

std::vector<Origine> origines(const ArrayMap& carte, std::int64_t premiere, std::int64_t derniere, std::size_t nombre) {
    const std::vector<int>& champs = carte.getChampsParLigne();
    std::vector<Origine> resultat;
    resultat.reserve(nombre);
    for (std::int64_t l = premiere; l <= derniere && l < static_cast<std::int64_t>(champs.size()); ++l)
        for (int f = 0; f < champs[static_cast<std::size_t>(l)] && resultat.size() < nombre; ++f)
            resultat.push_back(Origine{l, f});
    return resultat;
}

void verifieChampsEntete(const ArrayMap& carte, std::vector<ProblemeNiveau>& problemes) {
    if (carte.getNombreLignes() == 0)
        return;
    const int nombre = carte.getChampsParLigne()[0];
    if (nombre > 5)
        problemes.push_back(avertissement(
            1, "header", compte(nombre, "field") + ", expected 5; the game ignores the last " + texte(nombre - 5)));
}

void verifieFinsDeLigne(const ArrayMap& carte, const Entete& e, std::vector<ProblemeNiveau>& problemes) {
    const std::vector<int>& champs = carte.getChampsParLigne();
    const std::vector<bool>& fins = carte.getFinsParSeparateur();
    const std::int64_t lignes = static_cast<std::int64_t>(champs.size());
    // Rows past the H-th presence row are already reported as lines the game never reads.
    for (std::int64_t y = 0; y < e.H && e.H + 1 + y < lignes; ++y) {
        const std::size_t l = static_cast<std::size_t>(e.H + 1 + y);
        if (!fins[l])
            continue;
        std::string message = "ends with \"|\": its empty last field ";
        if (champs[l] == e.W)
            message += "is " + cellule(e.W - 1, y) + ", which reads as blocked, expected 0 or 1 after the last \"|\"";
        else if (static_cast<std::int64_t>(l) + 1 < lignes)
            message += "is one more entry, read as blocked, and every later presence entry moves one place on, "
                       "expected no \"|\" after the last field";
        else
            message += "is one more entry, read as blocked, expected no \"|\" after the last field";
        problemes.push_back(avertissement(static_cast<std::int64_t>(l) + 1, "presence row " + texte(y), message));
    }
}

void verifieNumeros(const ArrayMap& carte, const Entete& e, sf::Vector2u taille_image,
                    std::vector<ProblemeNiveau>& problemes) {
    // The tile grid's own layout: C tiles per row, partial tiles at the right edge never used; rows
    // that the image holds in full. An image without one full tile has its own message already.
    const std::int64_t C = taille_image.x / e.tw;
    const std::int64_t R = taille_image.y / e.th;
    if (C < 1 || R < 1)
        return;
    const std::int64_t dernier = C * R - 1;
    const std::vector<int> level = carte.getLevel();
    const std::size_t cases = static_cast<std::size_t>(e.W * e.H);
    const std::vector<Origine> lieux = origines(carte, 1, e.H, std::min(level.size(), cases));
    const std::string tileset = "\"" + carte.m_chemin_tileset + "\" holds " + texte(C) + " x " + texte(R) +
                                " tiles of " + texte(e.tw) + " x " + texte(e.th) + " pixels";
    for (std::size_t k = 0; k < lieux.size(); ++k) {
        const std::int64_t n = level[k];
        if (n >= 0 && n <= dernier)
            continue;
        const std::int64_t x = static_cast<std::int64_t>(k) % e.W;
        const std::int64_t y = static_cast<std::int64_t>(k) / e.W;
        problemes.push_back(avertissement(lieux[k].ligne + 1, cellule(x, y),
                                          "tile number " + texte(n) + " is not in the tileset, expected 0 to " +
                                              texte(dernier) + " (" + tileset +
                                              "); the cell shows pixels from outside the image"));
    }
}

void verifieDepart(const ArrayMap& carte, const Entete& e, std::vector<ProblemeNiveau>& problemes) {
    const PlageCases depart = casesDepartHeros(carte);
    if (depart.vide())
        return;
    const std::vector<bool> presences = carte.getPresences();
    const std::size_t cases = static_cast<std::size_t>(e.W * e.H);
    const std::vector<Origine> lieux =
        origines(carte, e.H + 1, carte.getNombreLignes() - 1, std::min(presences.size(), cases));
    const std::string boite = texte(cote_heros) + " x " + texte(cote_heros) + " box at pixel (" +
                              texte(static_cast<std::int64_t>(demarrage::depart_heros)) + ", " +
                              texte(static_cast<std::int64_t>(demarrage::depart_heros)) + ")";
    for (int y = depart.y0; y <= depart.y1; ++y) {
        for (int x = depart.x0; x <= depart.x1; ++x) {
            const std::size_t k = static_cast<std::size_t>(x + e.W * y);
            if (k >= lieux.size() || !presences[k])
                continue;
            problemes.push_back(avertissement(lieux[k].ligne + 1, cellule(x, y),
                                              "blocked, and the hero starts on it (his " + boite +
                                                  " covers it), expected a free cell"));
        }
    }
}

// Two triangles covering the rectangle, in the target's pixels.
void ajouteRectangle(sf::VertexArray& sommets, float gauche, float haut, float largeur, float hauteur,
                     sf::Color couleur) {
    const sf::Vector2f a(gauche, haut), b(gauche + largeur, haut), c(gauche + largeur, haut + hauteur),
        d(gauche, haut + hauteur);
    for (const sf::Vector2f& p : {a, b, c, a, c, d})
        sommets.append(sf::Vertex(p, couleur));
}

// The edge of the rectangle, `epaisseur` pixels wide, inside it.
void ajouteCadre(sf::VertexArray& sommets, float gauche, float haut, float largeur, float hauteur, float epaisseur,
                 sf::Color couleur) {
    const float e = std::min({epaisseur, largeur / 2.f, hauteur / 2.f});
    ajouteRectangle(sommets, gauche, haut, largeur, e, couleur);
    ajouteRectangle(sommets, gauche, haut + hauteur - e, largeur, e, couleur);
    ajouteRectangle(sommets, gauche, haut + e, e, hauteur - 2.f * e, couleur);
    ajouteRectangle(sommets, gauche + largeur - e, haut + e, e, hauteur - 2.f * e, couleur);
}

} // namespace

PlageCases casesDepartHeros(const ArrayMap& carte) {
    Entete e{};
    if (!litEntete(carte, e))
        return PlageCases{0, 0, -1, -1};
    // Cell k spans k * tw to (k + 1) * tw; it meets the box [d, d + cote) with positive area when
    // k * tw < d + cote and (k + 1) * tw > d.
    const std::int64_t d = static_cast<std::int64_t>(demarrage::depart_heros);
    const std::int64_t fin = d + cote_heros - 1;
    return PlageCases{static_cast<int>(std::min(d / e.tw, e.W)), static_cast<int>(std::min(d / e.th, e.H)),
                      static_cast<int>(std::min(fin / e.tw, e.W - 1)), static_cast<int>(std::min(fin / e.th, e.H - 1))};
}

std::vector<ProblemeNiveau> avertissementsAuteur(const ArrayMap& carte, sf::Vector2u taille_image) {
    std::vector<ProblemeNiveau> problemes;
    if (!carte.estOuvert())
        return problemes;
    verifieChampsEntete(carte, problemes);
    Entete e{};
    if (!litEntete(carte, e))
        return problemes;
    verifieFinsDeLigne(carte, e, problemes);
    verifieNumeros(carte, e, taille_image, problemes);
    verifieDepart(carte, e, problemes);
    return problemes;
}

std::vector<ProblemeNiveau> rapportNiveau(const ArrayMap& carte, sf::Vector2u taille_image) {
    std::vector<ProblemeNiveau> problemes = verifieNiveau(carte);
    // The tileset is only worth looking at once the header names one.
    if (carte.estOuvert() && carte.getNombreLignes() > 0 && !carte.m_chemin_tileset.empty()) {
        const std::vector<ProblemeNiveau> image = verifieTileset(carte, taille_image);
        problemes.insert(problemes.end(), image.begin(), image.end());
    }
    const std::vector<ProblemeNiveau> auteur = avertissementsAuteur(carte, taille_image);
    problemes.insert(problemes.end(), auteur.begin(), auteur.end());
    std::stable_sort(problemes.begin(), problemes.end(),
                     [](const ProblemeNiveau& a, const ProblemeNiveau& b) { return a.ligne < b.ligne; });
    return problemes;
}

std::string resumeNiveau(const std::string& fichier, const ArrayMap& carte, sf::Vector2u taille_image) {
    Entete e{};
    if (!litEntete(carte, e))
        return fichier + ": the header cannot be read";
    const std::vector<bool> presences = carte.getPresences();
    const std::size_t cases = std::min(presences.size(), static_cast<std::size_t>(e.W * e.H));
    const std::int64_t bloquees =
        std::count(presences.begin(), presences.begin() + static_cast<std::ptrdiff_t>(cases), true);

    const PlageCases depart = casesDepartHeros(carte);
    bool libre = true;
    for (int y = depart.y0; y <= depart.y1; ++y)
        for (int x = depart.x0; x <= depart.x1; ++x)
            libre = libre && static_cast<std::size_t>(x + e.W * y) < cases && !presences[x + e.W * y];
    const bool une_case = depart.x0 == depart.x1 && depart.y0 == depart.y1;
    const std::string coin = "(" + texte(depart.x0) + ", " + texte(depart.y0) + ")";
    const std::string depart_texte =
        une_case ? "hero start cell " + coin
                 : "hero start cells " + coin + " to (" + texte(depart.x1) + ", " + texte(depart.y1) + ")";

    return fichier + ": " + texte(e.W) + " x " + texte(e.H) + " cells, " + texte(e.W * e.tw) + " x " +
           texte(e.H * e.th) + " pixels, tiles of " + texte(e.tw) + " x " + texte(e.th) + " pixels from \"" +
           carte.m_chemin_tileset + "\" (" + texte(taille_image.x / e.tw) + " x " + texte(taille_image.y / e.th) +
           " tiles), " + compte(bloquees, "blocked cell") + ", " + depart_texte + (libre ? " free" : " blocked");
}

TailleApercu tailleApercu(const ArrayMap& carte, double echelle) {
    const double largeur = static_cast<double>(carte.m_largeur_map_en_tiles) * carte.m_largeur_tile;
    const double hauteur = static_cast<double>(carte.m_hauteur_map_en_tiles) * carte.m_hauteur_tile;
    return TailleApercu{std::round(largeur * echelle), std::round(hauteur * echelle)};
}

void dessineApercu(sf::RenderTarget& cible, const TileMap& map, const ArrayMap& carte,
                   const std::vector<bool>& presences) {
    const std::int64_t W = carte.m_largeur_map_en_tiles;
    const std::int64_t H = carte.m_hauteur_map_en_tiles;
    const float tw = carte.m_largeur_tile;
    const float th = carte.m_hauteur_tile;
    const float largeur = static_cast<float>(W) * tw;
    const float hauteur = static_cast<float>(H) * th;

    // The tiles through the game's own drawing, the view stretched over the whole level.
    cible.setView(sf::View(sf::FloatRect(0.f, 0.f, largeur, hauteur)));
    map.dessine(cible);

    // The marks in the target's own pixels, so that the outline stays 1 pixel at any scale.
    cible.setView(cible.getDefaultView());
    const float sx = static_cast<float>(cible.getSize().x) / largeur;
    const float sy = static_cast<float>(cible.getSize().y) / hauteur;
    const float cw = tw * sx;
    const float ch = th * sy;

    // In batches: one draw per cell would take minutes on the largest levels, one array for all of
    // them gigabytes.
    sf::VertexArray sommets(sf::Triangles);
    const std::size_t lot = 6 * 5 * 4096;
    const std::size_t cases = std::min(presences.size(), static_cast<std::size_t>(W * H));
    for (std::size_t k = 0; k < cases; ++k) {
        if (!presences[k])
            continue;
        const float gauche = static_cast<float>(static_cast<std::int64_t>(k) % W) * cw;
        const float haut = static_cast<float>(static_cast<std::int64_t>(k) / W) * ch;
        ajouteRectangle(sommets, gauche, haut, cw, ch, marques_apercu::voile_bloque);
        ajouteCadre(sommets, gauche, haut, cw, ch, 1.f, marques_apercu::bord_bloque);
        if (sommets.getVertexCount() >= lot) {
            cible.draw(sommets);
            sommets.clear();
        }
    }
    const float d = demarrage::depart_heros;
    const float cote = demarrage::cote_heros;
    ajouteCadre(sommets, d * sx, d * sy, cote * sx, cote * sy, static_cast<float>(marques_apercu::epaisseur_cadre),
                marques_apercu::cadre_heros);
    cible.draw(sommets);
}
