#pragma once
// BGL files of plain fields for the first-run tests (tests that link the scenery writer): each
// airport only an ident, a name ("Field " + ident) and a position near Seattle.

#include <string>
#include <vector>

#include "scenery-writer/World.h"

namespace corvane::testing {

inline writer::Airport Field(const std::string& ident) {
    writer::Airport a;
    a.ident = ident;
    a.name = "Field " + ident;
    a.lat = 47.5;
    a.lon = -122.3;
    return a;
}

// A BGL file named `name` holding the fields `idents`, in that order, in its index section.
inline writer::BglFileDescription FieldFile(const std::string& name,
                                            const std::vector<std::string>& idents) {
    writer::BglFileDescription f;
    f.name = name;
    for (const std::string& ident : idents) {
        f.content.airports.push_back(Field(ident));
    }
    return f;
}

}  // namespace corvane::testing
