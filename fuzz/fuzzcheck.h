#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: the input as bytes, and invariant checks
// that stop the run with a message, so libFuzzer keeps the input that broke
// one as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__,            \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The input itself, not a copy: libFuzzer's buffer is exactly `size` bytes,
// so the address sanitizer sees a read one byte past the end (a copy would
// have a terminating NUL there).
inline QByteArray fuzzInput(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}
