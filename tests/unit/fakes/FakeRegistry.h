#pragma once
#include <map>
#include <string>
#include <utility>

#include "fakes/Journal.h"
#include "platform/Registry.h"

// Keys and text values in memory. Key names compare case-sensitively here; the
// program always spells them the same way.
struct FakeRegistry : Registry {
    using KeyId = std::pair<RegRoot, std::string>;
    std::map<KeyId, std::map<std::string, std::string>> keys;
    bool refuseWrites = false;
    Journal* journal = nullptr;

    bool WriteText(RegRoot root, const std::string& key, const std::string& valueName,
                   const std::string& text) override {
        if (journal) journal->Add("registry write " + key + "\\" + valueName + "=" + text);
        if (refuseWrites) return false;
        // Creating a key creates its missing parents.
        for (size_t pos = key.find('\\'); pos != std::string::npos; pos = key.find('\\', pos + 1)) {
            keys[{root, key.substr(0, pos)}];
        }
        keys[{root, key}][valueName] = text;
        return true;
    }
    std::string ReadText(RegRoot root, const std::string& key, const std::string& valueName) override {
        if (journal) journal->Add("registry read " + key + "\\" + valueName);
        auto k = keys.find({root, key});
        if (k == keys.end()) return {};
        auto v = k->second.find(valueName);
        return v == k->second.end() ? std::string() : v->second;
    }
    bool DeleteValue(RegRoot root, const std::string& key, const std::string& valueName) override {
        auto k = keys.find({root, key});
        return k != keys.end() && k->second.erase(valueName) == 1;
    }
    bool DeleteKey(RegRoot root, const std::string& key) override {
        auto k = keys.find({root, key});
        if (k == keys.end()) return false;
        const std::string prefix = key + "\\";
        for (const auto& [id, values] : keys) {
            if (id.first == root && id.second.compare(0, prefix.size(), prefix) == 0) return false;
        }
        keys.erase(k);
        return true;
    }
    bool HasKey(RegRoot root, const std::string& key) const { return keys.count({root, key}) != 0; }
};
