// Helpers for table-driven tests: each case starts with a name, which
// GoogleTest shows.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// What every case starts with. A case type derives from it, and its rows start
// with the name: a conversion, not a nested aggregate whose braces are left out.
struct NamedCase {
    constexpr NamedCase(const char *case_name) : name(case_name) {}
    const char *name;
};

// GoogleTest prints a case by its name in failure messages. (An operator<<
// on the base class, which GoogleTest finds for every case type; a PrintTo
// taking the base class would lose to GoogleTest's own catch-all PrintTo.)
inline std::ostream &operator<<(std::ostream &os, const NamedCase &c) {
    return os << c.name;
}

// Names a parameterised test after its case.
template <typename Case> std::string CaseName(const testing::TestParamInfo<Case> &info) {
    return info.param.name;
}

// An adapter table (see platform/fake.h) and the text expected from it.
struct FakeListCase : NamedCase {
    const char *table;
    const char *expected;
};
