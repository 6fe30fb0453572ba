#pragma once
// Small helpers shared by the fuzz targets: a reader that takes fixed-size fields
// from the front of the input (so seed files can be written by hand, see
// make_seeds.py) and a property check that stops the run with a message.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sanitizer/asan_interface.h>

// A broken property is a finding: print it and abort, so that libFuzzer keeps the
// input as a crash artifact.
#define FUZZ_CHECK(condition, what)                                                   \
    do {                                                                              \
        if (!(condition)) {                                                           \
            std::fprintf(stderr, "PROPERTY FAILED at %s:%d: %s\n  (%s)\n", __FILE__,  \
                         __LINE__, what, #condition);                                 \
            std::abort();                                                             \
        }                                                                             \
    } while (0)

// True when all `size` bytes at `p` may be written: the buffer handed to a
// transport or file is as large as the callee is told it is.
inline bool WritableRegion(const void* p, std::size_t size) {
    return size == 0 || __asan_region_is_poisoned(const_cast<void*>(p), size) == nullptr;
}

// Reads little-endian fields from the front of the fuzz input; past the end every
// field reads as 0 and every byte string as empty.
class FrontReader {
public:
    FrontReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint64_t Field(int bytes) {
        std::uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) {
            if (pos_ < size_) v |= static_cast<std::uint64_t>(data_[pos_]) << (8 * i);
            ++pos_;
        }
        return v;
    }
    std::uint8_t U8() { return static_cast<std::uint8_t>(Field(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Field(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Field(4)); }
    std::uint64_t U64() { return Field(8); }
    // Everything not read yet.
    std::string Rest() {
        if (pos_ >= size_) return {};
        std::string rest(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
        pos_ = size_;
        return rest;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};
