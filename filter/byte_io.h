// Single-byte stream calls of the filter's hot loop. The tool has one thread,
// so the C library's unlocked forms are used: they read and write the stream
// buffer directly instead of taking a lock for every byte. Also says whether
// the target's text mode writes each line feed as CR LF.
#ifndef TARVO_FILTER_BYTE_IO_H
#define TARVO_FILTER_BYTE_IO_H

#include <cstdio>

#ifdef _WIN32
// The source is read as bytes, and the target is a text stream: the runtime
// writes every line feed as CR LF.
constexpr bool target_writes_crlf = true;
inline int read_byte(FILE *stream) {
    return _getc_nolock(stream);
}
inline void write_byte(int byte, FILE *stream) {
    _putc_nolock(byte, stream);
}
#else
constexpr bool target_writes_crlf = false;
inline int read_byte(FILE *stream) {
    return getc_unlocked(stream);
}
inline void write_byte(int byte, FILE *stream) {
    putc_unlocked(byte, stream);
}
#endif

#endif
