#pragma once
#include <string>
#include <vector>

#include "platform/Bytes.h"

struct FolderEntry {
    std::string name;       // without the folder
    bool isFolder = false;  // a folder, or a link (junction, symbolic link) to one
    bool isLink = false;    // a reparse point: removed as a link, never entered
};

// Files and folders. Paths are UTF-8; relative ones resolve against the working
// directory, which is the run directory for the whole run.
struct FileSystem {
    virtual ~FileSystem() = default;
    // Whole-file read (others may read, nobody may write meanwhile). False and no
    // bytes when the file is missing or unreadable.
    virtual bool ReadWholeFile(const std::string& path, Bytes& out) = 0;
    // Creates or truncates the file and writes the bytes. True when all were written.
    virtual bool WriteWholeFile(const std::string& path, const Bytes& data) = 0;
    // Creates one folder level; false when it exists or the parent is missing.
    virtual bool MakeFolder(const std::string& path) = 0;
    // True when something matches the path (a file or a folder).
    virtual bool Exists(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    // Removes an empty folder, or a link to a folder without touching its target.
    virtual bool RemoveFolder(const std::string& path) = 0;
    // True when the path itself is a link (junction, symbolic link), not what it points to.
    virtual bool IsLink(const std::string& path) = 0;
    // The folder's entries without "." and "..", in the system's listing order.
    virtual std::vector<FolderEntry> ListFolder(const std::string& path) = 0;
    // Renames; fails when the target exists.
    virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
    // Copies, replacing an existing target.
    virtual bool CopyFileOver(const std::string& from, const std::string& to) = 0;
};
