// Without the Windows common dialogs the choice is made on the terminal: the
// same title and filter, and, like the dialog, only an existing regular file
// is accepted.
#include "run/file_dialog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

// Reads one line without its line ending. Returns null at end of input; the
// caller frees the line.
static char *read_answer()
{
    char *line = nullptr;
    std::size_t size = 0;
    ssize_t length = getline(&line, &size, stdin);
    if (length < 0) {
        std::free(line);
        return nullptr;
    }
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        line[--length] = '\0';
    return line;
}

// The answer as an absolute path in buffer, if it fits.
static bool make_absolute(const char *answer, char *buffer)
{
    char directory[4096] = "";
    if (answer[0] != '/' && getcwd(directory, sizeof directory) == nullptr)
        return false;
    const char *separator =
        directory[0] != '\0' && std::strcmp(directory, "/") ? "/" : "";
    int length = std::snprintf(buffer, file_dialog_capacity, "%s%s%s",
                               directory, separator, answer);
    return length >= 0 &&
           static_cast<std::size_t>(length) < file_dialog_capacity;
}

// Why buffer cannot be chosen, or null when it can.
static const char *refusal(const char *buffer)
{
    struct stat status;
    if (stat(buffer, &status) != 0)
        return "File not found.";
    if (!S_ISREG(status.st_mode))
        return "Not a regular file.";
    return nullptr;
}

int choose_database(char *buffer)
{
    buffer[0] = '\0';
    if (!isatty(STDIN_FILENO))
        return 0;
    std::fputs("Open File...\nPalm database (*.prc;*.pdb)\n", stderr);
    for (;;) {
        std::fputs("File name (empty to cancel): ", stderr);
        char *answer = read_answer();
        if (answer == nullptr) {
            std::fputc('\n', stderr);
            break;
        }
        if (answer[0] == '\0') {
            std::free(answer);
            break;
        }
        const char *why =
            make_absolute(answer, buffer) ? refusal(buffer) : "Path too long.";
        if (why == nullptr) {
            std::free(answer);
            return 1;
        }
        std::fprintf(stderr, "%s\n%s\n", answer, why);
        std::free(answer);
    }
    buffer[0] = '\0';
    return 0;
}
