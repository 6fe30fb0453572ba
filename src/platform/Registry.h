#pragma once
#include <string>

enum class RegRoot { LocalMachine, ClassesRoot };

// The registry as the program needs it. Keys are paths below the root
// ("SOFTWARE\\KorvaneScan"); an empty value name is the key's default value.
struct Registry {
    virtual ~Registry() = default;
    // Opens the key for writing, else creates it with its missing parents, and
    // stores the text as REG_SZ with its terminating zero. True when stored.
    virtual bool WriteText(RegRoot root, const std::string& key, const std::string& valueName,
                           const std::string& text) = 0;
    // REG_SZ as stored, REG_EXPAND_SZ with environment references expanded;
    // any other type, a missing key or a missing value reads as "".
    virtual std::string ReadText(RegRoot root, const std::string& key, const std::string& valueName) = 0;
    // Opens the key for writing and deletes the value. True when deleted.
    virtual bool DeleteValue(RegRoot root, const std::string& key, const std::string& valueName) = 0;
    // Deletes the key; fails when it still has subkeys. True when deleted.
    virtual bool DeleteKey(RegRoot root, const std::string& key) = 0;
};
