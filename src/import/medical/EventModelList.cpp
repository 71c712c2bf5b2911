#include "import/medical/EventModelList.h"

#include "app/RunState.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

namespace clinova {

EventModelList::EventModelList(CorrespondenceLists &lists)
    : categories_(lists.fEventModelCategoryList), labels_(lists.fEventModelLabelList) {
    for (std::size_t i = 0; i < categories_.size() && i < labels_.size(); ++i)
        keys_.insert(Key(categories_[i], labels_[i]));
}

std::string EventModelList::Key(std::string_view upperCategory, std::string_view label) {
    // The length first: no category and label can then make the key of another pair.
    return std::to_string(upperCategory.size()) + ':' + std::string(upperCategory) + UpperCase1252(TrimView(label));
}

void EventModelList::Remember(std::string_view category, std::string_view label) {
    const std::string upperCategory = UpperCase1252(category);
    if (!keys_.insert(Key(upperCategory, label)).second)
        return;
    categories_.push_back(upperCategory);
    labels_.emplace_back(label);
}

} // namespace clinova
