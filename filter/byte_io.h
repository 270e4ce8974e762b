// Single-byte stream calls of the filter's hot loop. The tool has one thread,
// so where the C library has unlocked forms they are used. Also says whether
// the platform's text streams translate line ends themselves.
#ifndef TARVO_FILTER_BYTE_IO_H
#define TARVO_FILTER_BYTE_IO_H

#include <cstdio>

#ifdef _WIN32
// The runtime turns CR LF into LF on reading and LF into CR LF on writing.
constexpr bool text_mode_translates_line_ends = true;
inline int read_byte(FILE *stream) {
    return getc(stream);
}
inline void write_byte(int byte, FILE *stream) {
    putc(byte, stream);
}
#else
constexpr bool text_mode_translates_line_ends = false;
inline int read_byte(FILE *stream) {
    return getc_unlocked(stream);
}
inline void write_byte(int byte, FILE *stream) {
    putc_unlocked(byte, stream);
}
#endif

#endif
