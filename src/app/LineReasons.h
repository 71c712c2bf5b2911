#pragma once
// Why the lines of a file did not arrive as they were: the failed lines, those left aside and those imported
// with a warning, grouped by the kind of their reason. Two reasons are of one kind when they differ only in
// the values they quote and the numbers they give ("'31/02/2020' n'est pas une date correcte" and
// "'30/02/2021' n'est pas une date correcte"). Each group counts its lines and keeps the first of them as
// examples, with their line numbers; the report of the run shows them.
//
// Texts are Windows-1252, like every text of the engine.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace clinova {

enum class ReasonKind { Failed, Skipped, Warned };

struct ReasonExample {
    int line = 0;
    std::string reason;
};

struct ReasonGroup {
    ReasonKind kind = ReasonKind::Failed;
    std::string pattern; // the reason with its values replaced by "…"
    int count = 0;
    std::vector<ReasonExample> examples; // the first lines, in the order they came
    std::vector<int> lines;              // the numbers of its lines, the first kLines of them
};

class LineReasons {
public:
    static constexpr std::size_t kExamples = 10;
    static constexpr std::size_t kLines = 2000;
    // Past this many kinds in a file, further kinds are counted under one group "autres motifs".
    static constexpr std::size_t kGroups = 100;

    void Note(ReasonKind kind, int line, std::string_view reason);
    const std::vector<ReasonGroup> &Groups() const { return groups_; }
    // The lines noted of that kind.
    int Count(ReasonKind kind) const;

private:
    std::vector<ReasonGroup> groups_;
    std::unordered_map<std::string, std::size_t> index_; // kind and pattern -> group
};

// The kind of a reason: quoted values ('...' and "...") and numbers replaced by "…".
std::string ReasonPattern(std::string_view reason);

} // namespace clinova
