#include "tests/support/test_support.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

std::string make_temp_dir()
{
    static std::mt19937_64 random{std::random_device{}()};
    for (;;) {
        fs::path dir = fs::temp_directory_path() /
                       ("prcfix-test-" + std::to_string(random() % 1000000000));
        std::error_code error;
        if (fs::create_directory(dir, error))
            return dir.string();
        if (error)
            throw fs::filesystem_error("make_temp_dir", dir, error);
    }
}

void remove_tree(const std::string &path)
{
    std::error_code error;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
    for (auto &entry : fs::recursive_directory_iterator(path, error))
        fs::permissions(entry.path(), fs::perms::owner_all,
                        fs::perm_options::add, error);
    fs::remove_all(path, error);
}

std::string temp_dir_path()
{
    return fs::temp_directory_path().string();
}

static std::string own_path();

std::string build_tag()
{
    return std::to_string(std::hash<std::string>{}(own_path()) % 100000007);
}

std::string join_path(const std::string &directory, const std::string &name)
{
    return (fs::path(directory) / name).string();
}

void write_file(const std::string &path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

Bytes read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in),
                 std::istreambuf_iterator<char>());
}

bool file_exists(const std::string &path)
{
    return fs::exists(path);
}

static std::string own_path()
{
#ifdef _WIN32
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, length);
#else
    return fs::read_symlink("/proc/self/exe").string();
#endif
}

std::string prcfix_path()
{
    fs::path self = own_path();
#ifdef _WIN32
    return (self.parent_path() / "prcfix.exe").string();
#else
    return (self.parent_path() / "prcfix").string();
#endif
}

#ifdef _WIN32
// Quotes one argument so that the C runtime's start-up splits it back out.
static std::string quote_argument(const std::string &arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            backslashes++;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

ChildResult run_child(const std::string &program,
                      const std::vector<std::string> &args,
                      const ChildOptions &options)
{
    std::string command = quote_argument(program);
    for (const std::string &arg : args)
        command += " " + quote_argument(arg);

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    char error_name[MAX_PATH], temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    GetTempFileNameA(temp, "prc", 0, error_name);
    HANDLE error_file =
        CreateFileA(error_name, GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit,
                               OPEN_EXISTING, 0, nullptr);

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = error_file;
    PROCESS_INFORMATION process;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    ChildResult result = {-1, ""};
    const char *directory = options.working_directory.empty()
                                ? nullptr
                                : options.working_directory.c_str();
    if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                       nullptr, directory, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 124);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(input);
    CloseHandle(error_file);
    Bytes error_bytes = read_file(error_name);
    result.error_output.assign(error_bytes.begin(), error_bytes.end());
    DeleteFileA(error_name);
    return result;
}
#else
// In the child, before exec: applies options or returns false.
static bool apply_options(const ChildOptions &options)
{
    if (options.file_size_limit >= 0) {
        std::signal(SIGXFSZ, SIG_IGN); // stays ignored across exec
        rlimit limit;
        limit.rlim_cur = limit.rlim_max =
            static_cast<rlim_t>(options.file_size_limit);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return false;
    }
    if (options.unprivileged && geteuid() == 0) {
        passwd *nobody = getpwnam("nobody");
        if (nobody == nullptr || setgroups(0, nullptr) != 0 ||
            setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
            return false;
    }
    if (!options.working_directory.empty() &&
        chdir(options.working_directory.c_str()) != 0)
        return false;
    return true;
}

ChildResult run_child(const std::string &program,
                      const std::vector<std::string> &args,
                      const ChildOptions &options)
{
    std::string error_name =
        join_path(fs::temp_directory_path().string(), "prcfix-stderr-XXXXXX");
    std::vector<char> name(error_name.begin(), error_name.end());
    name.push_back('\0');
    int error_fd = mkstemp(name.data());
    if (error_fd < 0)
        return {-1, ""};

    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid == 0) {
        int input = open("/dev/null", O_RDONLY);
        dup2(input, 0);
        dup2(error_fd, 2);
        alarm(60);
        if (!apply_options(options))
            _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(error_fd);
    ChildResult result = {-1, ""};
    int status;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        result.status =
            WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    Bytes error_bytes = read_file(name.data());
    result.error_output.assign(error_bytes.begin(), error_bytes.end());
    unlink(name.data());
    return result;
}
#endif

ChildResult run_prcfix_on(const std::vector<std::string> &args,
                          const ChildOptions &options)
{
    return run_child(prcfix_path(), args, options);
}

std::string as_error_output(const std::string &text)
{
#ifdef _WIN32
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
#else
    return text;
#endif
}
