#pragma once
#include <string>

#include "platform/Registry.h"

// A registry item is named by one path below a root: the part after the last
// backslash is a value name, the part before it the key. A path that ends in a
// backslash therefore names the key's default value.
struct RegistryItem {
    std::string key;
    std::string valueName;
};
RegistryItem SplitItemPath(const std::string& itemPath);

// Stores the text as the item's REG_SZ value, creating the key and its missing
// parents. True when stored.
bool WriteRegistryItemText(Registry& registry, RegRoot root, const std::string& itemPath, const std::string& text);

// Deletes the item's value; when the key does not open or holds no such value,
// deletes instead the key named by the whole path (which fails while it has
// subkeys). True when either deletion succeeded.
bool DeleteRegistryItem(Registry& registry, RegRoot root, const std::string& itemPath);
