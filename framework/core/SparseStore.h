// A list of records of which only some are stored: it has a count of entries, and an entry
// without a record stands for the default record. Lookups cost O(log stored); moves, truncation
// and iteration cost O(stored), whatever the count, so a million entries cost nothing until
// they carry records.
#pragma once
#include <iterator>
#include <map>

#include "SysUtils.h"

template <typename T>
class TSparseStore {
public:
    int Count() const { return FCount; }
    // Growing adds entries without records; shrinking drops the records at n and beyond.
    // A negative count raises the list index error.
    void SetCount(int n);
    int StoredCount() const { return int(FItems.size()); }

    // The record at i; null when i holds none or lies outside.
    T* Find(int i);
    const T* Find(int i) const;
    // The record at i, made as the default record when absent. Raises the list index error
    // when i lies outside.
    T& Ensure(int i);
    // Entry i goes back to the default (its record, if any, is dropped).
    void Erase(int i) { FItems.erase(i); }
    // The list move: the entry leaves From and is inserted at To, the entries between shift by
    // one. Raises the list index error when either index lies outside.
    void Move(int From, int To);

    // Calls f(index, record) for every stored record, ascending; f may erase the record it was
    // handed (and only that one).
    template <typename F>
    void ForEach(F f);

private:
    std::map<int, T> FItems;
    int FCount = 0;
};

template <typename T>
void TSparseStore<T>::SetCount(int n) {
    if (n < 0) CheckListIndex(n, 0);
    FItems.erase(FItems.lower_bound(n), FItems.end());
    FCount = n;
}

template <typename T>
T* TSparseStore<T>::Find(int i) {
    auto it = FItems.find(i);
    return it == FItems.end() ? nullptr : &it->second;
}

template <typename T>
const T* TSparseStore<T>::Find(int i) const {
    auto it = FItems.find(i);
    return it == FItems.end() ? nullptr : &it->second;
}

template <typename T>
T& TSparseStore<T>::Ensure(int i) {
    CheckListIndex(i, FCount - 1);
    return FItems.try_emplace(i).first->second;
}

template <typename T>
void TSparseStore<T>::Move(int From, int To) {
    CheckListIndex(From, FCount - 1);
    CheckListIndex(To, FCount - 1);
    if (From == To) return;
    auto moving = FItems.extract(From);
    // Keys keep their order while they shift by one, so each node goes back in at the place it
    // left (the hint): constant time per record.
    if (From < To) {
        for (auto it = FItems.upper_bound(From); it != FItems.end() && it->first <= To;) {
            auto next = std::next(it);
            auto node = FItems.extract(it);
            --node.key();
            FItems.insert(next, std::move(node));
            it = next;
        }
    } else {
        for (auto it = FItems.lower_bound(From); it != FItems.begin();) {
            auto prev = std::prev(it);
            if (prev->first < To) break;
            auto node = FItems.extract(prev);
            ++node.key();
            it = FItems.insert(it, std::move(node));
        }
    }
    if (!moving.empty()) {
        moving.key() = To;
        FItems.insert(std::move(moving));
    }
}

template <typename T>
template <typename F>
void TSparseStore<T>::ForEach(F f) {
    for (auto it = FItems.begin(); it != FItems.end();) {
        auto current = it++;
        f(current->first, current->second);
    }
}
