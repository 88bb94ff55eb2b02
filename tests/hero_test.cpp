#include "Hero.hpp"

#include <gtest/gtest.h>

#include <SFML/Graphics.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "outils_test.hpp"

namespace fs = std::filesystem;

namespace {

// The test sheet: 3 columns x 4 rows of 24 x 32 frames, each frame one solid colour of its own.
const unsigned int largeur_cadre = 24;
const unsigned int hauteur_cadre = 32;

sf::Color couleurCadre(unsigned int colonne, unsigned int ligne) {
    return sf::Color(static_cast<sf::Uint8>(10 + 80 * colonne), static_cast<sf::Uint8>(10 + 60 * ligne), 100);
}

// The sheet position (x, y) of the frame on show, or (-1, -1) when the hero's texture is not
// exactly one whole frame of the sheet.
sf::Vector2i cadreAffiche(const Hero& perso) {
    const sf::Texture* texture = perso.getSprite().getTexture();
    if (texture == nullptr)
        return {-1, -1};
    const sf::Image image = texture->copyToImage();
    const sf::Color couleur = image.getPixel(0, 0);
    for (unsigned int y = 0; y < image.getSize().y; ++y)
        for (unsigned int x = 0; x < image.getSize().x; ++x)
            if (image.getPixel(x, y) != couleur)
                return {-1, -1};
    for (unsigned int ligne = 0; ligne < 4; ++ligne)
        for (unsigned int colonne = 0; colonne < 3; ++colonne)
            if (couleur == couleurCadre(colonne, ligne))
                return {static_cast<int>(largeur_cadre * colonne), static_cast<int>(hauteur_cadre * ligne)};
    return {-1, -1};
}

class HeroTest : public ::testing::Test {
protected:
    void SetUp() override {
        outils::gardeContexte();
        sf::Image planche;
        planche.create(3 * largeur_cadre, 4 * hauteur_cadre);
        for (unsigned int y = 0; y < planche.getSize().y; ++y)
            for (unsigned int x = 0; x < planche.getSize().x; ++x)
                planche.setPixel(x, y, couleurCadre(x / largeur_cadre, y / hauteur_cadre));
        m_planche = (m_dossier.chemin() / "planche.png").string();
        ASSERT_TRUE(planche.saveToFile(m_planche));
    }

    // Loads the hero the way the game does: the standing frame facing down, shown 48 x 48.
    void chargeCommeLeJeu(Hero& perso) { ASSERT_TRUE(perso.load(m_planche, 24, 64, 24, 32, 48, 48)); }

    outils::DossierTemp m_dossier;
    std::string m_planche;
};

TEST_F(HeroTest, LoadsTheGameFrameAndPlacesTheHero) {
    Hero perso;
    chargeCommeLeJeu(perso);
    EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(24, 64));
    EXPECT_EQ(perso.getSprite().getTexture()->getSize(), sf::Vector2u(24, 32));
    EXPECT_EQ(perso.getSprite().getScale(), sf::Vector2f(2.f, 1.5f));
    EXPECT_EQ(perso.getFrameActuelle(), 1);
    EXPECT_EQ(perso.getPosition(), sf::Vector2f(0.f, 0.f));

    perso.setPosition(48.f, 48.f);
    EXPECT_EQ(perso.getPosition(), sf::Vector2f(48.f, 48.f));
    EXPECT_EQ(perso.getCaseBox(), sf::FloatRect(48.f, 48.f, 48.f, 48.f));
    perso.deplace(12.f, 0.f);
    EXPECT_EQ(perso.getPosition(), sf::Vector2f(60.f, 48.f));
    perso.deplace(-4.f, 12.f);
    EXPECT_EQ(perso.getCaseBox(), sf::FloatRect(56.f, 60.f, 48.f, 48.f));
}

TEST_F(HeroTest, DrawsTheFrameAtItsOnScreenSize) {
    Hero perso;
    chargeCommeLeJeu(perso);
    perso.setPosition(10.f, 20.f);
    sf::RenderTexture cible;
    ASSERT_TRUE(cible.create(80, 80));
    cible.clear(sf::Color::Black);
    perso.dessine(cible);
    cible.display();
    const sf::Image image = cible.getTexture().copyToImage();
    for (unsigned int y = 0; y < 80; ++y)
        for (unsigned int x = 0; x < 80; ++x) {
            const bool dedans = x >= 10 && x < 58 && y >= 20 && y < 68;
            ASSERT_EQ(image.getPixel(x, y), dedans ? couleurCadre(1, 2) : sf::Color::Black)
                << "pixel (" << x << ", " << y << ")";
        }
}

TEST_F(HeroTest, DirectionWordChoosesTheSheetRow) {
    const struct {
        const char* mot;
        int ligne;
    } cas[] = {
        {"haut", 0}, {"droite", 1}, {"bas", 2}, {"gauche", 3}, {"", 3},
        {"Haut", 3}, {"DROITE", 3}, {"Bas", 3}, {"bas ", 3},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::string("\"") + c.mot + "\"");
        Hero perso;
        // Start on column 0, which neither the standing frame nor the next walk frame uses.
        ASSERT_TRUE(perso.load(m_planche, 0, 0, 24, 32, 48, 48));

        EXPECT_TRUE(perso.arretSprite(c.mot));
        EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(24, 32 * c.ligne));
        EXPECT_EQ(perso.getFrameActuelle(), 1);

        EXPECT_TRUE(perso.anime(c.mot, false));
        EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(48, 32 * c.ligne));
    }
}

TEST_F(HeroTest, WalkCycleGoesThroughColumnsTwoZeroOne) {
    Hero perso;
    chargeCommeLeJeu(perso);
    const struct {
        sf::Vector2i cadre;
        int compteur;
    } attendus[] = {{{48, 32}, 2}, {{0, 32}, 0}, {{24, 32}, 1}, {{48, 32}, 2}};
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE("step " + std::to_string(k));
        EXPECT_TRUE(perso.anime("droite", false));
        EXPECT_EQ(cadreAffiche(perso), attendus[k].cadre);
        EXPECT_EQ(perso.getFrameActuelle(), attendus[k].compteur);
        EXPECT_EQ(perso.getSprite().getScale(), sf::Vector2f(2.f, 1.5f));
    }
}

TEST_F(HeroTest, BlockedStepShowsTheStandingFrameAndResetsTheCounter) {
    for (int pas = 0; pas < 3; ++pas) { // counter 1, 2, then 0 before the blocked call
        SCOPED_TRACE(pas);
        Hero perso;
        chargeCommeLeJeu(perso);
        for (int k = 0; k < pas; ++k)
            ASSERT_TRUE(perso.anime("haut", false));
        EXPECT_TRUE(perso.anime("gauche", true));
        EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(24, 96));
        EXPECT_EQ(perso.getFrameActuelle(), 1);
        EXPECT_TRUE(perso.anime("gauche", false));
        EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(48, 96));
    }
}

TEST_F(HeroTest, StandingFrameLeavesTheWalkCounter) {
    Hero perso;
    chargeCommeLeJeu(perso);
    ASSERT_TRUE(perso.anime("bas", false)); // counter now 2
    EXPECT_TRUE(perso.arretSprite("bas"));
    EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(24, 64));
    EXPECT_EQ(perso.getFrameActuelle(), 2);
    // The walk goes on from where it stopped.
    EXPECT_TRUE(perso.anime("bas", false));
    EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(0, 64));
    EXPECT_EQ(perso.getFrameActuelle(), 0);
}

TEST_F(HeroTest, FractionalFrameSizeCutsWholePixelsAndScalesByTheExactSize) {
    for (const float largeur : {24.5f, 24.99f}) {
        SCOPED_TRACE(largeur);
        Hero perso;
        ASSERT_TRUE(perso.load(m_planche, 24, 64, largeur, 32.f, 48.f, 48.f));
        EXPECT_EQ(perso.getSprite().getTexture()->getSize(), sf::Vector2u(24, 32));
        EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(24, 64));
        EXPECT_FLOAT_EQ(perso.getSprite().getScale().x, 48.f / largeur);
        EXPECT_FLOAT_EQ(perso.getSprite().getScale().y, 1.5f);
        EXPECT_FLOAT_EQ(perso.getCaseBox().width, 24.f * (48.f / largeur));

        // The reloads cut the same whole-pixel frame.
        ASSERT_TRUE(perso.anime("droite", false));
        EXPECT_EQ(perso.getSprite().getTexture()->getSize(), sf::Vector2u(24, 32));
        EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(48, 32));
        EXPECT_FLOAT_EQ(perso.getSprite().getScale().x, 48.f / largeur);
    }
}

TEST_F(HeroTest, FailedLoadLeavesTheHeroUnchanged) {
    const std::string absent = (m_dossier.chemin() / "absent.png").string();
    {
        Hero perso;
        EXPECT_FALSE(perso.load(absent, 24, 64, 24, 32, 48, 48));
        EXPECT_EQ(perso.getSprite().getTexture(), nullptr);
        EXPECT_EQ(perso.getCaseBox(), sf::FloatRect(0.f, 0.f, 0.f, 0.f));
    }
    const struct {
        const char* nom;
        std::string chemin;
        unsigned int tile_x;
    } cas[] = {{"missing sheet", absent, 24}, {"area right of the sheet", m_planche, 72}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Hero perso;
        chargeCommeLeJeu(perso);
        perso.setPosition(48.f, 48.f);
        EXPECT_FALSE(perso.load(c.chemin, c.tile_x, 0, 12, 16, 96, 96));
        EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(24, 64));
        EXPECT_EQ(perso.getCaseBox(), sf::FloatRect(48.f, 48.f, 48.f, 48.f));
        // The sheet path and the frame size are still the first load's.
        EXPECT_TRUE(perso.anime("haut", false));
        EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(48, 0));
        EXPECT_EQ(perso.getSprite().getTexture()->getSize(), sf::Vector2u(24, 32));
        EXPECT_EQ(perso.getSprite().getScale(), sf::Vector2f(2.f, 1.5f));
    }
}

TEST_F(HeroTest, SheetGoneAfterLoadKeepsThePreviousFrame) {
    Hero perso;
    chargeCommeLeJeu(perso);
    ASSERT_TRUE(perso.anime("droite", false)); // (48, 32), counter 2
    const sf::Image avant = perso.getSprite().getTexture()->copyToImage();
    const std::vector<sf::Uint8> pixels_avant(avant.getPixelsPtr(),
                                              avant.getPixelsPtr() + 4 * avant.getSize().x * avant.getSize().y);
    fs::remove(m_planche);

    EXPECT_FALSE(perso.anime("haut", false));
    EXPECT_EQ(perso.getFrameActuelle(), 0); // advanced all the same
    EXPECT_FALSE(perso.arretSprite("bas"));
    EXPECT_EQ(perso.getFrameActuelle(), 0);

    const sf::Image apres = perso.getSprite().getTexture()->copyToImage();
    EXPECT_EQ(apres.getSize(), avant.getSize());
    const std::vector<sf::Uint8> pixels_apres(apres.getPixelsPtr(),
                                              apres.getPixelsPtr() + 4 * apres.getSize().x * apres.getSize().y);
    EXPECT_EQ(pixels_apres, pixels_avant);
    EXPECT_EQ(cadreAffiche(perso), sf::Vector2i(48, 32));
    EXPECT_EQ(perso.getSprite().getScale(), sf::Vector2f(2.f, 1.5f));
}

} // namespace
