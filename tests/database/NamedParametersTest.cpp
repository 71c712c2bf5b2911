#include "database/NamedParameters.h"
#include "database/SqlScript.h"

#include <gtest/gtest.h>

using namespace clinova;

TEST(NamedParameters, MarkersOutsideQuotesAndCommentsOnly) {
    const auto t = TranslateNamedParameters(
        "insert into T (A, B, C) values (:ID, ':NOT_A_PARAM', :nom) -- :COMMENT\n/* :X */ where \"col:y\" = :ID");
    EXPECT_EQ(t.sql, "insert into T (A, B, C) values (?, ':NOT_A_PARAM', ?) -- :COMMENT\n/* :X */ where \"col:y\" = ?");
    EXPECT_EQ(t.names, (std::vector<std::string>{"ID", "NOM", "ID"}));
}

TEST(NamedParameters, DoubledQuoteStaysInsideTheLiteral) {
    const auto t = TranslateNamedParameters("select 'l''a:b' from X where Y=:Y");
    EXPECT_EQ(t.sql, "select 'l''a:b' from X where Y=?");
    EXPECT_EQ(t.names, (std::vector<std::string>{"Y"}));
}

TEST(NamedParameters, AnExecuteBlocksBodyKeepsItsVariables) {
    const auto t = TranslateNamedParameters(
        " execute block (ID integer = :ID, N varchar(9) = :nom) as begin delete from T where ID = :ID; end");
    EXPECT_EQ(t.sql, " execute block (ID integer = ?, N varchar(9) = ?) as begin delete from T where ID = :ID; end");
    EXPECT_EQ(t.names, (std::vector<std::string>{"ID", "NOM"}));
    EXPECT_TRUE(TranslateNamedParameters("EXECUTE BLOCK AS DECLARE I INTEGER; BEGIN SELECT 1 FROM R INTO :I; END")
                    .names.empty());
}

TEST(SqlScript, SplitsAtTerminatorAndFollowsSetTerm) {
    const auto parts = SplitSqlScript("create table A (X integer); -- a; comment\n"
                                      "insert into A values (';');\n"
                                      "SET TERM ^ ;\n"
                                      "create procedure P as begin insert into A values (1); end^\n"
                                      "SET TERM ; ^\n"
                                      "create generator G;");
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[1], "insert into A values (';')");
    EXPECT_EQ(parts[2], "create procedure P as begin insert into A values (1); end");
    EXPECT_EQ(parts[3], "create generator G");
}
