#pragma once
#include "platform/Registry.h"

// The registry through the W functions (values are UTF-16 on the Windows side).
struct WinRegistry final : Registry {
    bool WriteText(RegRoot root, const std::string& key, const std::string& valueName,
                   const std::string& text) override;
    std::string ReadText(RegRoot root, const std::string& key, const std::string& valueName) override;
    bool DeleteValue(RegRoot root, const std::string& key, const std::string& valueName) override;
    bool DeleteKey(RegRoot root, const std::string& key) override;
};
