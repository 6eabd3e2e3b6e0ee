// Shared by the fuzz targets: reading the input front to back (so that seed files can be
// written by hand) and stopping loudly when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Prints what failed and where, then aborts so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                          \
    do {                                                                                               \
        if (!(condition)) {                                                                            \
            std::fprintf(stderr, "property failed: %s\n  at %s:%d\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                              \
        }                                                                                              \
    } while (0)

// Missing bytes read as zero, so every input is usable.
class TFuzzInput {
public:
    TFuzzInput(const uint8_t* data, size_t size) : Data(data), Size(size) {}

    bool Empty() const { return Pos >= Size; }
    size_t Remaining() const { return Empty() ? 0 : Size - Pos; }

    uint8_t Byte() { return Empty() ? 0 : Data[Pos++]; }

    uint16_t U16() {
        const uint16_t lo = Byte();
        return static_cast<uint16_t>(lo | (Byte() << 8));
    }

    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return v;
    }

    int32_t I32() { return static_cast<int32_t>(U32()); }

    // A length byte, then up to that many bytes.
    std::string Text() {
        const size_t length = Byte();
        return Bytes(length);
    }

    std::string Bytes(size_t count) {
        const size_t n = count < Remaining() ? count : Remaining();
        std::string s(reinterpret_cast<const char*>(Data + Pos), n);
        Pos += n;
        return s;
    }

    std::string Rest() { return Bytes(Remaining()); }

private:
    const uint8_t* Data;
    size_t Size;
    size_t Pos = 0;
};
