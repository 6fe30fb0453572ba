#pragma once
#include "platform/LocalFile.h"

// The downloader's files on CreateFile: shared for reading and writing, binary.
struct WinLocalFiles final : LocalFiles {
    bool Exists(const std::string& path) override;
    LocalFileHandle OpenTruncate(const std::string& path) override;
    LocalFileHandle OpenKeep(const std::string& path) override;
    bool SeekEnd(LocalFileHandle file) override;
    bool Write(LocalFileHandle file, const void* data, std::uint32_t size) override;
    void Close(LocalFileHandle file) override;
};
