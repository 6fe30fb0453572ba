#pragma once
#include <string>
#include <vector>

// One ordered record of what the fakes were asked to do, for tests of order.
struct Journal {
    std::vector<std::string> entries;
    void Add(std::string entry) { entries.push_back(std::move(entry)); }
};
