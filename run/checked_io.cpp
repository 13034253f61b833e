#include "run/checked_io.h"

#include "run/entry.h"

#include <cstdlib>
#include <cstring>

bool close_database()
{
    if (db_file == nullptr)
        return true;
    std::FILE *stream = db_file;
    db_file = nullptr;
    // An error noted on the stream earlier means some change did not land,
    // even where the close itself goes through.
    bool had_error = std::ferror(stream) != 0;
    return std::fclose(stream) == 0 && !had_error;
}

void fatal_exit(const char *message)
{
    // Close first: what was already written must reach the file even though
    // the run fails.
    close_database();
    std::size_t length = std::strlen(message);
    std::fputs(message, stderr);
    if (length == 0 || message[length - 1] != '\n')
        std::fputc('\n', stderr);
    std::exit(1);
}

void seek_exact(std::FILE *stream, long offset)
{
    // fseek also writes out pending output; a failed write shows up here.
    if (std::fseek(stream, offset, SEEK_SET) != 0 ||
        std::ftell(stream) != offset)
        fatal_exit("Error seeking!");
}

unsigned read_byte(std::FILE *stream)
{
    int c = std::getc(stream);
    if (c == EOF)
        fatal_exit("Error reading file.\n");
    return static_cast<unsigned char>(c);
}

unsigned read_be16(std::FILE *stream)
{
    unsigned high = read_byte(stream);
    unsigned low = read_byte(stream);
    return high << 8 | low;
}

void read_four_cc(std::FILE *stream, char out[5])
{
    for (int i = 0; i < 4; i++)
        out[i] = static_cast<char>(read_byte(stream));
    out[4] = '\0';
}
