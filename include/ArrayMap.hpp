#ifndef ORPA_ARRAYMAP_HPP
#define ORPA_ARRAYMAP_HPP

#include <string>
#include <vector>

/// A field of the level file whose text cannot be read as a 32-bit integer.
struct ChampInvalide {
    int ligne;                 ///< line number in the file, 0 for the header line
    int champ;                 ///< field index on that line, from 0
    std::string texte;         ///< the field exactly as written
    bool hors_limites = false; ///< true when it has digits but its value does not fit 32 bits
};

/// The level loader: reads a level file once and keeps its header, its tile numbers and
/// its presence grid (which cells block the hero).
class ArrayMap {
public:
    /// Makes an empty loader: empty path, no tile numbers, no presence entries, header numbers at 0.
    ArrayMap();

    virtual ~ArrayMap();

    /// Reads the level file at `fichier_map`. Prints "Erreur chargement niveau" on standard
    /// output when the file cannot be opened, and then leaves the loader empty.
    void genereMap(std::string fichier_map);

    /// Returns a copy of the tile numbers, row by row from the top (entry x + W * y).
    std::vector<int> getLevel() const;

    /// Returns a copy of the presence grid (entry x + W * y; true means the cell is blocked).
    std::vector<bool> getPresences() const;

    /// Returns true when the last genereMap could open its file.
    bool estOuvert() const;

    /// Returns the number of lines read by the last genereMap.
    int getNombreLignes() const;

    /// Returns the number of fields of each line read, in file order (the header line first).
    const std::vector<int>& getChampsParLigne() const;

    /// Returns the header and tile fields that held no readable 32-bit integer, in file order.
    /// Such a field is stored as 0.
    const std::vector<ChampInvalide>& getChampsInvalides() const;

    /// Returns, for each line read, whether it ends with a "|" (so that its last field is empty).
    const std::vector<bool>& getFinsParSeparateur() const;

    std::string m_chemin_tileset; ///< tileset image path, field 0 of the header, kept exactly as written
    float m_largeur_tile;         ///< tile width in pixels
    float m_hauteur_tile;         ///< tile height in pixels
    int m_largeur_map_en_tiles;   ///< W, the level's width in cells
    int m_hauteur_map_en_tiles;   ///< H, the level's height in cells; lines 1 to H are the tile rows

private:
    /// Cuts `chaine` at every `separateur`: k separators give k + 1 fields, nothing trimmed.
    std::vector<std::string> split(std::string chaine, char separateur) const;

    /// Reads `champ` as a base-10 int (leading white space, a sign, trailing junk ignored);
    /// records the field as invalid and returns 0 when it holds no digit or overflows 32 bits.
    int litEntier(const std::string& champ, int ligne, int numero);

    std::vector<int> m_v_level;                    ///< tile numbers, in file order
    std::vector<bool> m_v_presence;                ///< presence entries, in file order; true = blocked
    bool m_ouvert;                                 ///< whether the last file could be opened
    std::vector<int> m_champs_par_ligne;           ///< field count of every line read
    std::vector<ChampInvalide> m_champs_invalides; ///< unreadable integer fields
    std::vector<bool> m_fins_par_separateur;       ///< whether each line read ends with the separator
};

#endif
