#ifndef ORPA_TESTS_OUTILS_TEST_HPP
#define ORPA_TESTS_OUTILS_TEST_HPP

// What the test executables share: a temporary folder, readable SFML values in failure messages, one
// GL context for the whole run, test names from case names, a program run in a folder with its
// output captured, and a private virtual X server.

#include <gtest/gtest.h>

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>
#include <SFML/Window/Context.hpp>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// Readable failure messages for the SFML values that the tests compare; found by argument-dependent lookup.
namespace sf {
template <typename T> void PrintTo(const Vector2<T>& v, std::ostream* os) {
    *os << "(" << v.x << ", " << v.y << ")";
}
template <typename T> void PrintTo(const Rect<T>& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << ")";
}
inline void PrintTo(const Color& c, std::ostream* os) {
    *os << "rgba(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}
} // namespace sf

namespace outils {

namespace fs = std::filesystem;
using Horloge = std::chrono::steady_clock;

// ---------------------------------------------------------------------------------------------
// Files

/// The whole file, byte for byte; empty when it cannot be read.
inline std::string litFichier(const fs::path& chemin) {
    std::ifstream flux(chemin, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(flux), std::istreambuf_iterator<char>());
}

/// A fresh folder under the system's temporary directory, removed with everything in it. mkdtemp makes
/// it in one step, so that test processes run side by side never share one.
class DossierTemp {
public:
    DossierTemp() {
        std::string modele = (fs::temp_directory_path() / "orpa_test_XXXXXX").string();
        if (!mkdtemp(modele.data()))
            throw std::runtime_error("cannot make a temporary folder");
        m_chemin = modele;
    }
    ~DossierTemp() {
        std::error_code ignore;
        fs::remove_all(m_chemin, ignore);
    }
    DossierTemp(const DossierTemp&) = delete;
    DossierTemp& operator=(const DossierTemp&) = delete;

    const fs::path& chemin() const { return m_chemin; }

    /// Writes `contenu` byte for byte, so that line ends stay as given, at `relatif` inside the folder,
    /// making the folders on the way; returns the file's full path.
    fs::path ecrit(const fs::path& relatif, const std::string& contenu) const {
        const fs::path cible = m_chemin / relatif;
        fs::create_directories(cible.parent_path());
        std::ofstream(cible, std::ios::binary) << contenu;
        return cible;
    }

private:
    fs::path m_chemin;
};

// ---------------------------------------------------------------------------------------------
// SFML and GoogleTest

/// Holds one OpenGL context, and with it SFML's connection to the X display, from the first call to the
/// end of the run. Without it every texture load that finds no active context builds one of its own,
/// which takes a tenth of a second under a virtual X server; and SFML closes its connection whenever
/// the last texture goes, which a server started without -noreset answers with a reset that drops
/// whoever connects meanwhile.
inline void gardeContexte() {
    static sf::Context contexte;
    (void)contexte;
}

/// A test name from a case's `nom`: every character that GoogleTest does not take in a name becomes '_'.
template <typename Cas> std::string nomDuCas(const ::testing::TestParamInfo<Cas>& info) {
    std::string nom;
    for (const char c : std::string(info.param.nom))
        nom += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return nom;
}

// ---------------------------------------------------------------------------------------------
// Processes

inline constexpr std::chrono::milliseconds intervalle_sondage{10};

/// This process's environment, as "NAME=value" entries; without DISPLAY when `garde_affichage` is false,
/// for a child that must find no X server or that is to be given another one.
inline std::vector<std::string> environnement(bool garde_affichage = true) {
    std::vector<std::string> env;
    for (char** v = environ; *v; ++v)
        if (garde_affichage || std::string(*v).rfind("DISPLAY=", 0) != 0)
            env.emplace_back(*v);
    return env;
}

/// What waitpid reports as one number: the exit code, or 128 + the signal number for a killed process.
inline int statutDeSortie(int etat) {
    return WIFEXITED(etat) ? WEXITSTATUS(etat) : 128 + WTERMSIG(etat);
}

/// Waits for `pid` until `fin`: its status (-1 when it cannot be waited for), or nothing when it still
/// runs at `fin`.
inline std::optional<int> attendsProcessus(pid_t pid, Horloge::time_point fin) {
    while (true) {
        int etat = 0;
        const pid_t r = waitpid(pid, &etat, WNOHANG);
        if (r == pid)
            return statutDeSortie(etat);
        if (r < 0 && errno != EINTR)
            return -1;
        if (Horloge::now() >= fin)
            return std::nullopt;
        std::this_thread::sleep_for(intervalle_sondage);
    }
}

/// Ends `pid` with SIGKILL and reaps it; its status.
inline int tueEtRecolte(pid_t pid) {
    kill(pid, SIGKILL);
    int etat = 0;
    while (waitpid(pid, &etat, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return statutDeSortie(etat);
}

/// A program started in `dossier` with `arguments` and the environment `env`, reading /dev/null and
/// writing its standard output and error to two files in that folder; killed if it still runs and
/// reaped, its two files removed, when this object goes.
class Processus {
public:
    Processus(const std::string& programme, const std::vector<std::string>& arguments, const fs::path& dossier,
              std::vector<std::string> env = environnement())
        : m_sortie(fs::absolute(dossier / ".sortie")), m_erreurs(fs::absolute(dossier / ".erreurs")) {
        // Everything the child needs is made before the fork: between fork and exec it only calls
        // functions that are safe there.
        std::vector<char*> argv{const_cast<char*>(programme.c_str())};
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        const std::string dossier_travail = dossier.string();
        const std::string sortie = m_sortie.string(), erreurs = m_erreurs.string();

        m_pid = fork();
        if (m_pid == 0) {
            const int fd_entree = open("/dev/null", O_RDONLY);
            const int fd_sortie = open(sortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int fd_erreurs = open(erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd_entree < 0 || fd_sortie < 0 || fd_erreurs < 0 || chdir(dossier_travail.c_str()) != 0)
                _exit(126);
            dup2(fd_entree, 0), dup2(fd_sortie, 1), dup2(fd_erreurs, 2);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        if (m_pid < 0)
            throw std::runtime_error("fork failed");
    }
    ~Processus() {
        tue();
        std::error_code ignore;
        fs::remove(m_sortie, ignore);
        fs::remove(m_erreurs, ignore);
    }
    Processus(const Processus&) = delete;
    Processus& operator=(const Processus&) = delete;

    /// Its status once it has ended (see statutDeSortie); nothing while it still runs at `fin`.
    std::optional<int> attends(Horloge::time_point fin) {
        if (!m_statut)
            m_statut = attendsProcessus(m_pid, fin);
        return m_statut;
    }

    /// Its status, waiting as long as it takes.
    int attends() {
        if (!m_statut) {
            int etat = 0;
            pid_t r;
            while ((r = waitpid(m_pid, &etat, 0)) < 0 && errno == EINTR) {
            }
            m_statut = r == m_pid ? statutDeSortie(etat) : -1;
        }
        return *m_statut;
    }

    /// Ends it with SIGKILL if it still runs.
    void tue() {
        if (!m_statut)
            m_statut = tueEtRecolte(m_pid);
    }

    std::string sortie() const { return litFichier(m_sortie); }
    std::string erreurs() const { return litFichier(m_erreurs); }

private:
    fs::path m_sortie, m_erreurs;
    pid_t m_pid = -1;
    std::optional<int> m_statut;
};

/// How a program run to its end went.
struct Execution {
    bool fini;  ///< false: still running after the time allowed, and killed
    int statut; ///< see statutDeSortie; -1 when not finished
    std::string sortie;
    std::string erreurs;
};

/// Runs `programme` in `dossier` until it ends or, given an `attente`, until that much time has passed.
inline Execution execute(const std::string& programme, const std::vector<std::string>& arguments,
                         const fs::path& dossier, std::optional<std::chrono::milliseconds> attente = std::nullopt,
                         std::vector<std::string> env = environnement()) {
    Processus processus(programme, arguments, dossier, std::move(env));
    const std::optional<int> statut =
        attente ? processus.attends(Horloge::now() + *attente) : std::optional<int>(processus.attends());
    processus.tue();
    return {statut.has_value(), statut.value_or(-1), processus.sortie(), processus.erreurs()};
}

// ---------------------------------------------------------------------------------------------
// A private X server

/// An Xvfb of its own, which picks a free display number and writes it to a pipe once it accepts
/// clients (-displayfd): tests run side by side without choosing numbers and never touch an outside
/// display. Stopped when this object goes.
class ServeurX {
public:
    ServeurX() {
        int tube[2];
        if (pipe2(tube, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2 failed");
        const std::string fd = std::to_string(tube[1]);
        m_pid = fork();
        if (m_pid == 0) {
            fcntl(tube[1], F_SETFD, 0); // this end alone survives the exec, for -displayfd
            const int nul = open("/dev/null", O_RDWR);
            dup2(nul, 0), dup2(nul, 1), dup2(nul, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(tube[1]);
        std::string numero;
        // Generous: the tests also run under AddressSanitizer on a busy machine.
        const auto fin = Horloge::now() + std::chrono::seconds(20);
        while (numero.empty() || numero.back() != '\n') {
            const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(fin - Horloge::now()).count();
            pollfd attente{tube[0], POLLIN, 0};
            char c;
            if (m_pid < 0 || reste <= 0 || poll(&attente, 1, int(reste)) <= 0 || read(tube[0], &c, 1) != 1)
                break;
            numero += c;
        }
        close(tube[0]);
        if (numero.empty() || numero.back() != '\n') {
            arrete();
            throw std::runtime_error("Xvfb did not start");
        }
        numero.pop_back();
        m_nom = ":" + numero;
    }
    ~ServeurX() { arrete(); }
    ServeurX(const ServeurX&) = delete;
    ServeurX& operator=(const ServeurX&) = delete;

    /// The display name, as DISPLAY takes it.
    const std::string& nom() const { return m_nom; }

private:
    void arrete() {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        if (!attendsProcessus(m_pid, Horloge::now() + std::chrono::seconds(5)))
            tueEtRecolte(m_pid);
        m_pid = -1;
    }

    pid_t m_pid = -1;
    std::string m_nom;
};

} // namespace outils

#endif
