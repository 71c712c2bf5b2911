#include "app/CorrespondenceTable.h"

#include <algorithm>

namespace clinova {

namespace {

template <typename... F> struct Overloaded : F... {
    using F::operator()...;
};
// Spelled out: clang before version 17 deduces no template arguments for an aggregate.
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

void EraseEntries(IdentifierList &list, int from, int to) {
    std::vector<std::string> later;
    for (int i = to; i < list.Count(); ++i)
        later.emplace_back(list[i]);
    list.Truncate(from);
    for (const auto &item : later)
        list.Add(item);
}

void EraseEntries(TIntegerList &list, int from, int to) {
    for (int i = to; i < list.Count(); ++i)
        list.Put(from + (i - to), list.Get(i));
    list.SetCount(list.Count() - (to - from));
}

void EraseEntries(std::vector<std::string> &list, int from, int to) {
    list.erase(list.begin() + from, list.begin() + to);
}

} // namespace

int LengthOf(const CorrespondenceList &list, const RunState &state) {
    return std::visit(Overloaded{[](const IdentifierList *l) { return l->Count(); },
                                 [](const TIntegerList *l) { return l->Count(); },
                                 [](const std::vector<std::string> *l) { return static_cast<int>(l->size()); }},
                      list.in(state));
}

std::string ItemOf(const CorrespondenceList &list, const RunState &state, int i) {
    return std::visit(
        Overloaded{[i](const IdentifierList *l) { return std::string((*l)[i]); },
                   [i](const TIntegerList *l) { return std::to_string(l->Get(i)); },
                   [i](const std::vector<std::string> *l) { return l->at(static_cast<std::size_t>(i)); }},
        list.in(state));
}

void AddTo(const CorrespondenceList &list, RunState &state, const std::string &value) {
    std::visit(Overloaded{[&](IdentifierList *l) { l->Add(value); },
                          [&](TIntegerList *l) { l->Add(static_cast<std::int32_t>(std::stol(value))); },
                          [&](std::vector<std::string> *l) { l->push_back(value); }},
               list.of(state));
}

void TruncateTo(const CorrespondenceList &list, RunState &state, int length) {
    std::visit(Overloaded{[&](IdentifierList *l) {
                              if (l->Count() > length)
                                  l->Truncate(length);
                          },
                          [&](TIntegerList *l) {
                              if (l->Count() > length)
                                  l->SetCount(length);
                          },
                          [&](std::vector<std::string> *l) {
                              if (l->size() > static_cast<std::size_t>(length))
                                  l->resize(static_cast<std::size_t>(length));
                          }},
               list.of(state));
}

ListLengths CurrentLengths(const RunState &state) {
    ListLengths lengths{};
    for (std::size_t k = 0; k < kCorrespondenceLists.size(); ++k)
        lengths[k] = LengthOf(kCorrespondenceLists[k], state);
    return lengths;
}

void TakeBackTo(RunState &state, const ListLengths &lengths) {
    for (std::size_t k = 0; k < kCorrespondenceLists.size(); ++k)
        if (kCorrespondenceLists[k].takenBack)
            TruncateTo(kCorrespondenceLists[k], state, lengths[k]);
}

void EraseBetween(RunState &state, const ListLengths &from, const ListLengths &to) {
    for (std::size_t k = 0; k < kCorrespondenceLists.size(); ++k) {
        const CorrespondenceList &list = kCorrespondenceLists[k];
        if (!list.takenBack || to[k] <= from[k] || LengthOf(list, state) < to[k])
            continue;
        std::visit([&](auto *l) { EraseEntries(*l, from[k], to[k]); }, list.of(state));
    }
}

void ClearRunLists(RunState &state) {
    for (const CorrespondenceList &list : kCorrespondenceLists)
        if (list.emptiedByRun)
            TruncateTo(list, state, 0);
}

} // namespace clinova
