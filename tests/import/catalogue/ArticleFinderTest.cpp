#include "import/catalogue/ArticleFinder.h"

#include "database/DatabaseError.h"
#include "normalized/Win1252.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <memory>

using namespace clinova;

namespace {

// One catalogue for every case: products of site 1 unless stated.
class ArticleFinderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tdb_ = std::make_unique<test::TestDatabase>();
        const auto product = [](int id, const std::string &columns, const std::string &values, int site = 1,
                                int supplier = 1, const std::string &link = "0") {
            tdb_->Exec(FromUtf8("insert into TARIFSPRODUITS (ID, ID_SITE, IDFOURNISSEUR, LINK" + columns +
                                ") values (" + std::to_string(id) + ", " + std::to_string(site) + ", " +
                                std::to_string(supplier) + ", " + link + values + ")"));
        };
        product(1, ", CIP", ", '3400961'");
        product(2, ", CODE_EAN13", ", '3400961234567'");
        product(3, ", CODE_GTIN", ", '03400961234567'");
        product(4, ", CODECENTRALE", ", '03400961234567'");
        product(5, ", CODE_EAN13", ", '0123456789012'");
        product(6, ", CODECENTRALE", ", 'O''5'");
        product(7, ", CODECENTRALE", ", 'LIE'", 1, 1, "1");
        product(8, ", CODECENTRALE", ", 'SANSLIEN'", 1, 1, "NULL");
        product(9, ", CODECENTRALE", ", 'AUTRESITE'", 2);
        product(10, ", CODECENTRALE", ", 'FOURN7'", 1, 7);
        product(11, ", CODECENTRALE, CODE_AMM, CIP", ", '12345678901234567890', '123456789012345678', '7654321'");
        product(12, ", CODECENTRALE, COND", ", 'ILLISIBLE', 1e12");
        product(13,
                ", CODECENTRALE, DESIGNATION, TAUXTVA, COND, QTX_FULL, QTX_DETAIL, PRIXACHAT_T1, COEF, "
                "INFO_UNITE_DETAIL",
                ", 'COMPLET', 'Metacam', 19.6, 2.9, 5, 3, 10, 1.5, '  comprimé  '");
        product(14, ", CODECENTRALE, TAUXTVA", ", 'TVA029', 0.29");
    }
    static void TearDownTestSuite() { tdb_.reset(); }

    void SetUp() override { db_.Open(tdb_->Path()); }
    void TearDown() override { db_.Close(); }

    int Found(const std::optional<TArticle> &article) { return article ? article->ID : -1; }

    static std::unique_ptr<test::TestDatabase> tdb_;
    TargetDatabase db_;
};

std::unique_ptr<test::TestDatabase> ArticleFinderTest::tdb_;

} // namespace

TEST_F(ArticleFinderTest, TheChainTriesEachKindOfCodeInItsOrder) {
    ArticleFinder finder(db_, 1);
    // 13 digits: its first 7 are a CIP, found before the EAN-13 lookup is reached.
    EXPECT_EQ(Found(finder.FindArticle("3400961234567")), 1);
    EXPECT_EQ(Found(finder.FindArticleByEAN13("3400961234567")), 2);
    // 14 characters: a GTIN first, before the same text as a wholesaler code.
    EXPECT_EQ(Found(finder.FindArticle(" 03400961234567 ")), 3);
    EXPECT_EQ(Found(finder.FindArticleByCodeCentrale("03400961234567")), 4);
    // 12 characters that match nothing else: an EAN-13 with a leading 0.
    EXPECT_EQ(Found(finder.FindArticle("123456789012")), 5);
    EXPECT_EQ(Found(finder.FindArticle("")), -1);
    EXPECT_EQ(Found(finder.FindArticle("   ")), -1);
}

TEST_F(ArticleFinderTest, CodesAreCutToTheirColumnAndCheckedForLength) {
    ArticleFinder finder(db_, 1);
    EXPECT_EQ(Found(finder.FindArticleByCodeCentrale("12345678901234567890ABC")), 11);
    EXPECT_EQ(Found(finder.FindArticleByAMM("123456789012345678XY")), 11);
    EXPECT_EQ(Found(finder.FindArticleByCIP("7654321XYZ")), 11);
    // 15 characters: never a GTIN, but still a CIP once cut.
    EXPECT_EQ(Found(finder.FindArticle("765432100000000")), 11);

    // A code of the wrong length sends no query at all.
    finder.FindArticleByCIP("AB12345XYZ", 12);
    const std::string sent =
        "select * from TARIFSPRODUITS where (CIP='AB12345') and (LINK<>1) and (ID_SITE=1) and (IDFOURNISSEUR=12)";
    EXPECT_EQ(finder.LastSQL(), sent);
    EXPECT_FALSE(finder.FindArticleByGTIN("034009612345678"));
    EXPECT_FALSE(finder.FindArticleByGTIN("0340096123456"));
    EXPECT_FALSE(finder.FindArticleByEAN13("340096123456"));
    EXPECT_EQ(finder.LastSQL(), sent);
}

TEST_F(ArticleFinderTest, QuotesLinksSitesAndSuppliers) {
    ArticleFinder finder(db_, 1);
    EXPECT_EQ(Found(finder.FindArticle("O'5")), 6);
    EXPECT_NE(finder.LastSQL().find("(CODECENTRALE='O''5')"), std::string::npos);
    EXPECT_EQ(Found(finder.FindArticle("x') or (1=1) or ('")), -1);

    EXPECT_EQ(Found(finder.FindArticle("LIE")), -1);
    EXPECT_EQ(Found(finder.FindArticle("SANSLIEN")), -1);

    EXPECT_EQ(Found(finder.FindArticle("AUTRESITE")), -1);
    EXPECT_EQ(Found(ArticleFinder(db_, 2).FindArticle("AUTRESITE")), 9);

    EXPECT_EQ(Found(finder.FindArticle("FOURN7")), 10);
    EXPECT_EQ(Found(finder.FindArticle("FOURN7", 7)), 10);
    EXPECT_EQ(Found(finder.FindArticle("FOURN7", 8)), -1);
}

TEST_F(ArticleFinderTest, TheArticleHoldsItsRowAndItsSellingPrice) {
    ArticleFinder finder(db_, 1);
    const auto article = finder.FindArticleByCodeCentrale("COMPLET");
    ASSERT_TRUE(article);
    EXPECT_EQ(article->ID, 13);
    EXPECT_EQ(article->Designation, "Metacam");
    EXPECT_EQ(article->TAUXTVA, 1960);
    EXPECT_EQ(article->COND, 2);
    EXPECT_EQ(article->QTX_FULL, 5);
    EXPECT_EQ(article->QTX_DETAIL, 3);
    EXPECT_EQ(article->IDFournisseur, 1);
    EXPECT_EQ(article->LINK, "0");
    EXPECT_EQ(article->INFO_UNITE_DETAIL, FromUtf8("comprimé"));
    // 10 x 1.5 = 15.00, plus 19.6 % = 17.94
    EXPECT_EQ(article->PrixVenteTTCInt100, 1794);
    EXPECT_EQ(finder.FindArticle("TVA029")->TAUXTVA, 29);

    // A value that cannot be held is no product, and nothing is raised.
    EXPECT_EQ(Found(finder.FindArticle("ILLISIBLE")), -1);
    // Every column must be in the row.
    Statement partial(db_, "select ID, QTX_FULL from TARIFSPRODUITS where ID = 13");
    ASSERT_TRUE(partial.Open());
    TArticle loaded;
    EXPECT_THROW(loaded.LoadFromQuery(partial), DatabaseError);
}
