// Times whole commands side by side: each round runs every command once, in
// an order that changes from round to round, each on a fresh copy of its
// database, so that drift in the machine's speed falls on all of them alike.
//
// usage: interleave ROUNDS NAME ORIGINAL WORK PROGRAM [ARGS...] \; ...
// Each command ends with a ";" argument; WORK is copied from ORIGINAL before
// each run and is the last argument the program gets. Prints one line per
// command: name, median and mean in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct Command {
    std::string name, original, work;
    std::vector<std::string> argv;
    std::vector<double> times;
};

static void copy_file(const std::string &from, const std::string &to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    if (!in || !out.flush()) {
        std::fprintf(stderr, "interleave: cannot copy %s\n", from.c_str());
        std::exit(2);
    }
}

static double run(const Command &c)
{
    std::vector<char *> argv;
    for (const std::string &a : c.argv)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(const_cast<char *>(c.work.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "interleave: %s failed\n", c.name.c_str());
        std::exit(2);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

int main(int argc, char **argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: interleave ROUNDS NAME ORIGINAL WORK "
                             "PROGRAM [ARGS...] \\; ...\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    std::vector<Command> commands;
    for (int i = 2; i < argc;) {
        if (argc - i < 4)
            return 2;
        Command c;
        c.name = argv[i];
        c.original = argv[i + 1];
        c.work = argv[i + 2];
        for (i += 3; i < argc && std::strcmp(argv[i], ";") != 0; i++)
            c.argv.push_back(argv[i]);
        i++;
        commands.push_back(c);
    }
    std::vector<std::size_t> order(commands.size());
    for (std::size_t i = 0; i < order.size(); i++)
        order[i] = i;
    std::mt19937 random(12345);
    for (int warm = 0; warm < 3; warm++)
        for (Command &c : commands) {
            copy_file(c.original, c.work);
            run(c);
        }
    for (int r = 0; r < rounds; r++) {
        std::shuffle(order.begin(), order.end(), random);
        for (std::size_t i : order) {
            Command &c = commands[i];
            copy_file(c.original, c.work);
            c.times.push_back(run(c));
        }
    }
    for (Command &c : commands) {
        std::vector<double> t = c.times;
        std::sort(t.begin(), t.end());
        double mean = 0;
        for (double x : t)
            mean += x / t.size();
        std::printf("%s\t%.4f\t%.4f\n", c.name.c_str(), t[t.size() / 2], mean);
    }
    return 0;
}
