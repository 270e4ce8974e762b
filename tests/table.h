// What every table of test rows shares: each row has a name, which names
// its test and is printed where it fails.
#ifndef TARVO_TESTS_TABLE_H
#define TARVO_TESTS_TABLE_H

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace table {

// The first part of every row.
struct row {
    const char *name;
};

inline std::ostream &operator<<(std::ostream &os, const row &r) {
    return os << r.name;
}

} // namespace table

// Names each test of a table after its row.
inline const auto row_name = [](const auto &info) { return std::string(info.param.name); };

#endif
