// Coverage-guided fuzzing of whole runs: the input gives a file name and the
// file's contents; the run must leave exactly what the model says, under
// AddressSanitizer and UndefinedBehaviorSanitizer.
//
// Input layout: one byte n, then n bytes of file name, then the contents.
//
// A failing run ends the process through exit(); the harness is linked with
// --wrap=exit so that, during a run, exit() returns here instead through
// longjmp. Nothing on the tool's stack needs unwinding: it holds plain data,
// and the database is closed before exit() is called.
#include "run/entry.h"
#include "tests/support/model.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

static std::jmp_buf run_end;
static bool in_run;
static int exit_status;

extern "C" [[noreturn]] void __real_exit(int status);
extern "C" [[noreturn]] void __wrap_exit(int status)
{
    if (in_run) {
        exit_status = status;
        std::longjmp(run_end, 1);
    }
    __real_exit(status);
}

static std::string work_directory()
{
    static std::string dir;
    if (dir.empty()) {
        char name[] = "/tmp/prcfix-fuzz-XXXXXX";
        if (mkdtemp(name) == nullptr)
            std::abort();
        dir = name;
    }
    return dir;
}

static bool write_whole(const std::string &path, const unsigned char *data,
                        std::size_t size)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    bool ok = write(fd, data, size) == static_cast<ssize_t>(size);
    return close(fd) == 0 && ok;
}

static int run_once(const std::string &path)
{
    std::vector<char> arg(path.begin(), path.end());
    arg.push_back('\0');
    char program[] = "prcfix";
    char *argv[] = {program, arg.data(), nullptr};
    in_run = true;
    int status;
    if (setjmp(run_end) == 0)
        status = run_prcfix(2, argv);
    else
        status = exit_status;
    in_run = false;
    if (db_file != nullptr)
        __builtin_trap(); // the stream must be closed however the run ends
    return status;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data,
                                      std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t name_length = std::min<std::size_t>(data[0], size - 1);
    std::string name(reinterpret_cast<const char *>(data + 1), name_length);
    for (char &c : name)
        if (c == '/' || c == '\0')
            c = '_';
    if (name.empty() || name == "." || name == "..")
        name += "x";
    const std::string path = work_directory() + "/" + name;
    const unsigned char *contents = data + 1 + name_length;
    const std::size_t contents_size = size - 1 - name_length;
    const Bytes before(contents, contents + contents_size);

    if (!write_whole(path, contents, contents_size)) {
        // A name the file system refuses: the run cannot open it either.
        if (run_once(path) != 1)
            __builtin_trap();
        return 0;
    }
    const int status = run_once(path);
    Bytes after;
    if (!load_image(path.c_str(), after))
        std::abort();
    unlink(path.c_str());

    if (path.size() >= db_path_capacity) {
        if (status != 1 || after != before)
            __builtin_trap(); // refused before anything was opened
        return 0;
    }
    const ExpectedRun expected = expected_run(before, path);
    if (status != expected.status || after != expected.bytes)
        __builtin_trap();
    return 0;
}
