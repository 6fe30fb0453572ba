#pragma once
#include <cstdint>
#include <string>

// An open local file of the downloader; 0 means none.
using LocalFileHandle = std::uintptr_t;

// The six local-file operations the resumable downloader writes through. Paths are UTF-8.
struct LocalFiles {
    virtual ~LocalFiles() = default;
    // True when something matches the path (a file or a folder).
    virtual bool Exists(const std::string& path) = 0;
    // Opens for writing, creating the file or cutting it to 0 bytes. Others may read
    // and write it meanwhile; bytes pass unchanged. 0 when it cannot be opened.
    virtual LocalFileHandle OpenTruncate(const std::string& path) = 0;
    // Opens for writing, creating the file if missing and keeping its contents,
    // position at 0. 0 when it cannot be opened.
    virtual LocalFileHandle OpenKeep(const std::string& path) = 0;
    // Moves the write position to the end.
    virtual bool SeekEnd(LocalFileHandle file) = 0;
    // Writes the bytes at the current position. True when all of them were written.
    virtual bool Write(LocalFileHandle file, const void* data, std::uint32_t size) = 0;
    virtual void Close(LocalFileHandle file) = 0;
};
