#include "shellmenu/RegistryItems.h"

RegistryItem SplitItemPath(const std::string& itemPath) {
    const size_t slash = itemPath.find_last_of('\\');
    if (slash == std::string::npos) return {std::string(), itemPath};
    return {itemPath.substr(0, slash), itemPath.substr(slash + 1)};
}

bool WriteRegistryItemText(Registry& registry, RegRoot root, const std::string& itemPath, const std::string& text) {
    const RegistryItem item = SplitItemPath(itemPath);
    return registry.WriteText(root, item.key, item.valueName, text);
}

bool DeleteRegistryItem(Registry& registry, RegRoot root, const std::string& itemPath) {
    const RegistryItem item = SplitItemPath(itemPath);
    if (registry.DeleteValue(root, item.key, item.valueName)) return true;
    // The whole path as a key; a trailing backslash names the same key.
    std::string key = itemPath;
    while (!key.empty() && key.back() == '\\') key.pop_back();
    if (key.empty()) return false;  // never the root itself
    return registry.DeleteKey(root, key);
}
