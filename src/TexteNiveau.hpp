#ifndef ORPA_TEXTENIVEAU_HPP
#define ORPA_TEXTENIVEAU_HPP

// The words the level checks and the level tool build their messages from, so that both say a
// thing the same way. Internal to the library.

#include <cstdint>
#include <string>
#include <utility>

#include "ValideNiveau.hpp"

namespace texte_niveau {

inline ProblemeNiveau erreur(std::int64_t ligne, std::string lieu, std::string message) {
    return ProblemeNiveau{static_cast<int>(ligne), std::move(lieu), std::move(message), false};
}

inline ProblemeNiveau avertissement(std::int64_t ligne, std::string lieu, std::string message) {
    return ProblemeNiveau{static_cast<int>(ligne), std::move(lieu), std::move(message), true};
}

inline std::string texte(std::int64_t n) {
    return std::to_string(n);
}

/// "1 field", "4 fields".
inline std::string compte(std::int64_t n, const std::string& unite) {
    return texte(n) + " " + unite + (n == 1 ? "" : "s");
}

/// "cell (4, 2)".
inline std::string cellule(std::int64_t x, std::int64_t y) {
    return "cell (" + texte(x) + ", " + texte(y) + ")";
}

} // namespace texte_niveau

#endif
