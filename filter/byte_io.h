// Single-byte stream calls of the filter's hot loop. The tool has one thread,
// so the C library's unlocked forms are used: they read and write the stream
// buffer directly instead of taking a lock for every byte.
#ifndef TARVO_FILTER_BYTE_IO_H
#define TARVO_FILTER_BYTE_IO_H

#include <cstddef>
#include <cstdio>

// The buffer of the source's and the target's streams, sized for throughput
// rather than the library's default of a few KiB.
constexpr std::size_t stream_buffer_size = 128 * 1024;

#ifdef _WIN32
inline int read_byte(FILE *stream) {
    return _getc_nolock(stream);
}
inline void write_byte(int byte, FILE *stream) {
    _putc_nolock(byte, stream);
}
#else
inline int read_byte(FILE *stream) {
    return getc_unlocked(stream);
}
inline void write_byte(int byte, FILE *stream) {
    putc_unlocked(byte, stream);
}
#endif

#endif
