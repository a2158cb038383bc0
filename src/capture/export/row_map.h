// A hash map from the addresses of the flow table's rows to a small value, in one array with open
// addressing: the flow export looks a row up for every datagram counted, and a node-based map costs an
// allocation per row and two cache misses per lookup where this costs about one miss and no allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace capture {

template <class Value>
class RowMap {
public:
    // The value for key, value-initialised and added if it was absent (then the bool is true). The
    // pointer holds until the next FindOrAdd, Erase or Clear.
    std::pair<Value*, bool> FindOrAdd(const void* key) {
        if ((m_size + 1) * 4 > m_slots.size() * 3) {
            Rehash(m_slots.empty() ? kSmallest : m_slots.size() * 2);
        }
        std::size_t at = Home(key);
        for (; m_slots[at].key != nullptr; at = Next(at)) {
            if (m_slots[at].key == key) {
                return {&m_slots[at].value, false};
            }
        }
        m_slots[at] = Slot{key, Value{}};
        ++m_size;
        return {&m_slots[at].value, true};
    }

    Value* Find(const void* key) {
        if (m_size == 0) {
            return nullptr;
        }
        for (std::size_t at = Home(key); m_slots[at].key != nullptr; at = Next(at)) {
            if (m_slots[at].key == key) {
                return &m_slots[at].value;
            }
        }
        return nullptr;
    }

    void Erase(const void* key) {
        if (m_size == 0) {
            return;
        }
        std::size_t hole = Home(key);
        for (; m_slots[hole].key != key; hole = Next(hole)) {
            if (m_slots[hole].key == nullptr) {
                return;
            }
        }
        // Linear probing without tombstones: entries after the hole that could not sit at their home move
        // back into it, so that no search stops short of them.
        for (std::size_t at = Next(hole); m_slots[at].key != nullptr; at = Next(at)) {
            const std::size_t home = Home(m_slots[at].key);
            const bool homeBetween = hole <= at ? (home > hole && home <= at) : (home > hole || home <= at);
            if (!homeBetween) {
                m_slots[hole] = m_slots[at];
                hole = at;
            }
        }
        m_slots[hole].key = nullptr;
        --m_size;
        // A burst of rows that left must not keep its memory for good.
        if (m_slots.size() > kSmallest && m_size * 16 < m_slots.size()) {
            Rehash(m_slots.size() / 4);
        }
    }

    void Clear() {
        m_slots.clear();
        m_slots.shrink_to_fit();
        m_size = 0;
    }

    std::size_t Size() const { return m_size; }

    // visit(key, value) for every entry, in no particular order.
    template <class Visit>
    void ForEach(Visit visit) const {
        for (const Slot& slot : m_slots) {
            if (slot.key != nullptr) {
                visit(slot.key, slot.value);
            }
        }
    }

private:
    struct Slot {
        const void* key = nullptr; // none: the slot is free
        Value value{};
    };
    static constexpr std::size_t kSmallest = 64;

    // Fibonacci hashing: rows are allocated apart by their size, and the multiplication spreads the
    // address's middle bits over the top ones, which pick the slot.
    std::size_t Home(const void* key) const {
        const auto address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(key));
        return static_cast<std::size_t>((address * 0x9e3779b97f4a7c15ull) >> m_shift);
    }
    std::size_t Next(std::size_t at) const { return (at + 1) & (m_slots.size() - 1); }

    void Rehash(std::size_t slots) { // slots: a power of two, above the entries
        std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(slots));
        m_shift = 64;
        for (std::size_t size = slots; size > 1; size /= 2) {
            --m_shift;
        }
        for (const Slot& slot : old) {
            if (slot.key != nullptr) {
                std::size_t at = Home(slot.key);
                while (m_slots[at].key != nullptr) {
                    at = Next(at);
                }
                m_slots[at] = slot;
            }
        }
    }

    std::vector<Slot> m_slots; // a power of two of them, at most three quarters taken
    std::size_t m_size = 0;
    unsigned m_shift = 64; // 64 less the bits of a slot's index
};

} // namespace capture
