#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace clinova {

struct CorrespondenceLists;

// The event models met by the events and reminders steps, kept in fEventModelCategoryList (the category
// in capitals) and fEventModelLabelList (the label as first read). A pair is a new model unless one has
// the same capitalized category and the same trimmed, capitalized label. An index of the pairs keeps each
// lookup constant time on large files.
class EventModelList {
public:
    // Indexes the models the lists already hold (those of the events step, for the reminders step).
    explicit EventModelList(CorrespondenceLists &lists);

    void Remember(std::string_view category, std::string_view label);

private:
    static std::string Key(std::string_view upperCategory, std::string_view label);

    std::vector<std::string> &categories_;
    std::vector<std::string> &labels_;
    std::unordered_set<std::string> keys_;
};

} // namespace clinova
