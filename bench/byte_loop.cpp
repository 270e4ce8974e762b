// The benchmark's yardstick: copies a file one byte at a time through the
// same single-byte calls, stream modes and buffer sizes as tarvo, with no
// filtering at all. Usage: byte_loop <source> <target>
#include "byte_io.h"

#include <cstdio>

int main(int argc, char **argv) {
    static char source_buffer[stream_buffer_size], target_buffer[stream_buffer_size];
    if (argc != 3)
        return 1;
    FILE *source = fopen(argv[1], "rb");
    FILE *target = fopen(argv[2], "w");
    if (!source || !target)
        return 1;
    setvbuf(source, source_buffer, _IOFBF, sizeof source_buffer);
    setvbuf(target, target_buffer, _IOFBF, sizeof target_buffer);
    for (int c; (c = read_byte(source)) != EOF;)
        write_byte(c, target);
    return ferror(source) || fclose(target) != 0;
}
