#pragma once
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/Journal.h"
#include "platform/FileSystem.h"

// An in-memory file system with Windows path rules: case-insensitive names,
// relative paths resolved against the working directory, one-level folder creation.
struct FakeFileSystem : FileSystem {
    std::string workingDirectory = "C:\\run";
    std::map<std::string, Bytes> files;       // key: normalized path
    std::set<std::string> folders;            // key: normalized path; drive roots exist implicitly
    std::set<std::string> links;              // folders that are links (removed, never entered)
    std::set<std::string> undeletable;        // files whose removal fails (held open, read-only)
    std::set<std::string> failRename;         // targets whose rename fails
    std::set<std::string> failCopy;           // targets whose copy fails
    Journal* journal = nullptr;

    static std::string Lower(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    }
    std::string Normalize(const std::string& path) const {
        std::string full = (path.size() >= 2 && path[1] == ':') ? path : workingDirectory + "\\" + path;
        while (full.size() > 3 && full.back() == '\\') full.pop_back();
        return Lower(full);
    }
    static std::string Parent(const std::string& normalized) {
        const auto slash = normalized.find_last_of('\\');
        return slash == std::string::npos ? std::string() : normalized.substr(0, slash);
    }
    bool FolderExists(const std::string& normalized) const {
        return (normalized.size() <= 3 && normalized.size() >= 2 && normalized[1] == ':') ||
               folders.count(normalized) != 0;
    }

    // Test set-up helpers.
    void AddFolder(const std::string& path) {
        std::string n = Normalize(path);
        for (std::string p = n; p.size() > 3; p = Parent(p)) folders.insert(p);
    }
    void AddFile(const std::string& path, const Bytes& data) {
        const std::string n = Normalize(path);
        AddFolder(Parent(n));
        files[n] = data;
    }
    bool HasFile(const std::string& path) const { return files.count(Normalize(path)) != 0; }
    bool HasFolder(const std::string& path) const { return FolderExists(Normalize(path)); }
    Bytes FileData(const std::string& path) const {
        auto it = files.find(Normalize(path));
        return it == files.end() ? Bytes() : it->second;
    }

    bool ReadWholeFile(const std::string& path, Bytes& out) override {
        if (journal) journal->Add("read file " + path);
        auto it = files.find(Normalize(path));
        if (it == files.end()) {
            out.clear();
            return false;
        }
        out = it->second;
        return true;
    }
    bool WriteWholeFile(const std::string& path, const Bytes& data) override {
        if (journal) journal->Add("write file " + path);
        const std::string n = Normalize(path);
        if (!FolderExists(Parent(n)) || folders.count(n)) return false;
        files[n] = data;
        return true;
    }
    bool MakeFolder(const std::string& path) override {
        if (journal) journal->Add("make folder " + path);
        const std::string n = Normalize(path);
        if (FolderExists(n) || files.count(n) || !FolderExists(Parent(n))) return false;
        folders.insert(n);
        return true;
    }
    bool Exists(const std::string& path) override {
        const std::string n = Normalize(path);
        return files.count(n) || folders.count(n);
    }
    bool RemoveFile(const std::string& path) override {
        if (journal) journal->Add("remove file " + path);
        const std::string n = Normalize(path);
        if (undeletable.count(n)) return false;
        return files.erase(n) == 1;
    }
    bool RemoveFolder(const std::string& path) override {
        if (journal) journal->Add("remove folder " + path);
        const std::string n = Normalize(path);
        if (!folders.count(n)) return false;
        if (!links.count(n)) {
            const std::string prefix = n + "\\";
            for (const auto& [f, d] : files) if (f.compare(0, prefix.size(), prefix) == 0) return false;
            for (const auto& f : folders) if (f.compare(0, prefix.size(), prefix) == 0) return false;
        }
        folders.erase(n);
        links.erase(n);
        return true;
    }
    bool IsLink(const std::string& path) override { return links.count(Normalize(path)) != 0; }
    std::vector<FolderEntry> ListFolder(const std::string& path) override {
        if (journal) journal->Add("list folder " + path);
        std::vector<FolderEntry> entries;
        const std::string n = Normalize(path);
        if (!FolderExists(n) || links.count(n)) return entries;  // a link's target is not listed here
        const std::string prefix = n + "\\";
        auto direct = [&](const std::string& p) {
            return p.compare(0, prefix.size(), prefix) == 0 && p.find('\\', prefix.size()) == std::string::npos;
        };
        for (const auto& f : folders) {
            if (direct(f)) entries.push_back({f.substr(prefix.size()), true, links.count(f) != 0});
        }
        for (const auto& [f, d] : files) {
            if (direct(f)) entries.push_back({f.substr(prefix.size()), false, false});
        }
        return entries;
    }
    bool RenameFile(const std::string& from, const std::string& to) override {
        if (journal) journal->Add("rename " + from + " -> " + to);
        const std::string a = Normalize(from), b = Normalize(to);
        if (!files.count(a) || files.count(b) || failRename.count(b) || !FolderExists(Parent(b))) return false;
        files[b] = files[a];
        files.erase(a);
        return true;
    }
    bool CopyFileOver(const std::string& from, const std::string& to) override {
        if (journal) journal->Add("copy " + from + " -> " + to);
        const std::string a = Normalize(from), b = Normalize(to);
        if (!files.count(a) || failCopy.count(b) || !FolderExists(Parent(b))) return false;
        files[b] = files[a];
        return true;
    }
};
