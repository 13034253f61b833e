// Choosing the file on a terminal, driven through a pseudo-terminal the way
// a user would answer the prompt.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

static const char prompt[] = "File name (empty to cancel): ";

struct Conversation {
    int status;
    std::string transcript;
};

static std::size_t count_of(const std::string &text, const std::string &what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size()))
        n++;
    return n;
}

// Starts prcfix with args (none by default) on a new terminal in directory,
// types each answer once the prompt has been shown for it, and collects all
// it shows.
static Conversation converse(const std::string &directory,
                             const std::vector<std::string> &answers,
                             const std::vector<std::string> &args = {})
{
    const std::string program = prcfix_path();
    std::vector<char *> argv = {const_cast<char *>(program.c_str())};
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    int master;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        if (chdir(directory.c_str()) != 0)
            _exit(126);
        alarm(30);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    Conversation result = {-1, ""};
    if (pid < 0)
        return result;

    std::size_t answered = 0;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        if (answered < answers.size() &&
            count_of(result.transcript, prompt) > answered) {
            const std::string &answer = answers[answered++];
            if (write(master, answer.data(), answer.size()) < 0)
                break;
        }
        if (std::chrono::steady_clock::now() > deadline)
            break;
        pollfd ready = {master, POLLIN, 0};
        if (poll(&ready, 1, 200) <= 0)
            continue;
        char buffer[512];
        ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0)
            break; // the terminal closed with the program
        result.transcript.append(buffer, static_cast<std::size_t>(n));
    }
    int status;
    kill(pid, SIGKILL); // only if it still waits past the deadline
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    close(master);
    return result;
}

class TerminalChoice : public TempDirTest
{
  protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        file = join_path(dir, "Blue.prc");
        before = build_database(typical_skin());
        write_file(file, before);
    }
    std::string file;
    Bytes before;
};

TEST_F(TerminalChoice, ShowsTitleAndFilterThenFixesThePickedFile)
{
    Conversation c = converse(dir, {file + "\n"});
    EXPECT_EQ(c.status, 0);
    EXPECT_NE(c.transcript.find("Open File..."), std::string::npos);
    EXPECT_NE(c.transcript.find("Palm database (*.prc;*.pdb)"),
              std::string::npos);
    EXPECT_EQ(read_file(file), expected_run(before, file).bytes);
}

TEST_F(TerminalChoice, RelativeAnswerNamesAFileInTheCurrentDirectory)
{
    Conversation c = converse(dir, {"Blue.prc\n"});
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(read_file(file), expected_run(before, file).bytes);
}

struct RefusalCase {
    const char *label;
    std::string answer; // relative to the test's directory
    const char *reason;
};

static void PrintTo(const RefusalCase &c, std::ostream *out)
{
    *out << c.label;
}

class TerminalRefusal : public TerminalChoice,
                        public testing::WithParamInterface<RefusalCase>
{
};

// Like the dialog, the prompt refuses and asks again; then the user picks.
TEST_P(TerminalRefusal, AsksAgainUntilAnExistingFileIsGiven)
{
    std::filesystem::create_directory(join_path(dir, "skins"));
    Conversation c = converse(dir, {GetParam().answer + "\n", "Blue.prc\n"});
    EXPECT_EQ(c.status, 0);
    EXPECT_NE(c.transcript.find(GetParam().reason), std::string::npos)
        << c.transcript;
    EXPECT_EQ(count_of(c.transcript, prompt), 2u);
    EXPECT_EQ(read_file(file), expected_run(before, file).bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, TerminalRefusal,
    testing::Values(RefusalCase{"missing", "Missing.prc", "File not found."},
                    RefusalCase{"directory", "skins", "Not a regular file."},
                    RefusalCase{"too_long", std::string(300, 'x'),
                                "Path too long."}),
    LabelName());

TEST_F(TerminalChoice, EmptyAnswerCancels)
{
    Conversation c = converse(dir, {"\n"});
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(read_file(file), before);
}

TEST_F(TerminalChoice, EndOfInputCancels)
{
    Conversation c = converse(dir, {"\x04"});
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(read_file(file), before);
}

TEST_F(TerminalChoice, SeveralArgumentsAskJustTheSame)
{
    const std::string other = join_path(dir, "Other.prc");
    write_file(other, before);
    Conversation c = converse(dir, {"Blue.prc\n"}, {other, other});
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(read_file(file), expected_run(before, file).bytes);
    EXPECT_EQ(read_file(other), before);
}
