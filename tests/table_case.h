// Helpers for table-driven tests: cases carry a name that GoogleTest shows.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// An adapter table (see platform/fake.h) and the text expected from it.
struct FakeListCase {
    const char *name;
    const char *table;
    const char *expected;
};

// Names a parameterised test after its case.
template <typename Case> std::string CaseName(const testing::TestParamInfo<Case> &info) {
    return info.param.name;
}

inline void PrintTo(const FakeListCase &c, std::ostream *os) {
    *os << c.name;
}
