#pragma once
// What whole-flight tests record of a pilot: each change of the status and frequency the station
// keeps for him, in order.

#include <ostream>
#include <string>
#include <vector>

namespace corvane::testing {

struct Passage {
    std::string status;
    std::string frequency;
    bool operator==(const Passage&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Passage& p) {
    return os << "{\"" << p.status << "\", \"" << p.frequency << "\"}";
}

using Passages = std::vector<Passage>;

// One sequence followed by another.
inline Passages operator+(Passages first, const Passages& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// Whether `part` occurs in `whole` in order (not necessarily next to each other).
inline bool InOrder(const Passages& whole, const Passages& part) {
    size_t at = 0;
    for (const Passage& p : whole) {
        if (at < part.size() && p == part[at]) {
            ++at;
        }
    }
    return at == part.size();
}

}  // namespace corvane::testing
