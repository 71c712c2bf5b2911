#pragma once
// A target database with rows to clean, and an operator that keeps every wait message.

#include "app/RunState.h"
#include "support/ScriptedOperator.h"
#include "support/TestDatabase.h"

#include <string>
#include <string_view>
#include <vector>

namespace clinova::test {

class RecordingOperator : public ScriptedOperator {
public:
    std::vector<std::string> waitMessages; // UTF-8

    void SetWaitMessage(const std::string &text) override {
        ScriptedOperator::SetWaitMessage(text);
        waitMessages.push_back(waitMessage);
    }
    int Seen(std::string_view message) const {
        int n = 0;
        for (const auto &m : waitMessages)
            n += m == message;
        return n;
    }
};

struct CleaningFixture {
    TestDatabase tdb;
    RecordingOperator op;
    RunState state{op};

    CleaningFixture() { state.options.edPathNameDatabase = tdb.Path(); }

    static std::string CountSql(std::string_view table, std::string_view where = {}) {
        std::string sql = "select count(*) from " + std::string(table);
        if (!where.empty())
            sql += " where " + std::string(where);
        return sql;
    }
    int Count(std::string_view table, std::string_view where = {}) const {
        return std::stoi(tdb.Scalar(CountSql(table, where)));
    }
    // Several counts on one connection.
    std::vector<int> Counts(const std::vector<std::string> &countQueries) const {
        TargetDatabase db;
        db.Open(tdb.Path());
        std::vector<int> counts;
        for (const auto &sql : countQueries) {
            Statement q(db, sql);
            q.Open();
            counts.push_back(q.GetInt(q.ColumnName(0)));
            q.Close();
        }
        db.Close();
        return counts;
    }
    // Runs the statements on one connection.
    void ExecAll(const std::vector<std::string> &statements) const {
        TargetDatabase db;
        db.Open(tdb.Path());
        for (const auto &sql : statements)
            db.ExecuteImmediate(sql);
        db.Close();
    }
    // The statement that writes rows first..last into a table, with a site when one is given.
    static std::string FillSql(std::string_view table, int first, int last, int site = 0) {
        const std::string name(table);
        const std::string key = name == "VERSEMENTS" ? "ID_VERSEMENT" : "ID";
        const std::string columns = site ? "(" + key + ", ID_SITE)" : "(" + key + ")";
        const std::string values = site ? "(:i, " + std::to_string(site) + ")" : "(:i)";
        return "execute block as declare i integer = " + std::to_string(first) +
               "; begin while (i <= " + std::to_string(last) + ") do begin insert into " + name + " " + columns +
               " values " + values + "; i = i + 1; end end";
    }
    void Fill(std::string_view table, int first, int last, int site = 0) const {
        tdb.Exec(FillSql(table, first, last, site));
    }
    // The identifiers left in a table, in order.
    std::vector<int> Ids(std::string_view table) const {
        TargetDatabase db;
        db.Open(tdb.Path());
        std::vector<int> ids;
        {
            Statement q(db, "select ID from " + std::string(table) + " order by ID");
            for (bool row = q.Open(); row; row = q.Next())
                ids.push_back(q.GetInt("ID"));
            q.Close();
        }
        db.Close();
        return ids;
    }
    // The value a generator holds now (the next one drawn is this plus one).
    long Generator(std::string_view name) const {
        return std::stol(tdb.Scalar("select gen_id(" + std::string(name) + ", 0) from rdb$database"));
    }
    void SetGenerator(std::string_view name, int value) const {
        tdb.Exec("alter sequence " + std::string(name) + " restart with " + std::to_string(value));
    }
};

} // namespace clinova::test
