#pragma once
#include "platform/FileSystem.h"

struct WinFileSystem final : FileSystem {
    bool ReadWholeFile(const std::string& path, Bytes& out) override;
    bool WriteWholeFile(const std::string& path, const Bytes& data) override;
    bool MakeFolder(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool IsLink(const std::string& path) override;
    std::vector<FolderEntry> ListFolder(const std::string& path) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool CopyFileOver(const std::string& from, const std::string& to) override;
};
