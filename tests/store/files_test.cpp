// The player's files under attack: two programs sharing one LOG.DAT, links,
// read-only files, pipes with a file's name, temporary files left by a
// killed write, and settings files written by other editors.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <utime.h>
#include <vector>

#include "cli/commands.h"
#include "model/gamelog.h"
#include "model/score.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/program.h"
#include "store/bytes.h"
#include "store/gamefile.h"
#include "store/ini_file.h"
#include "store/logfile.h"
#include "store/persistence.h"
#include "store_test_support.h"
#include "test_support.h"
#include "view/pictures.h"

namespace korvat::test {
namespace {

LogEntry entry(uint32_t number, int32_t index, int32_t status, const char* description = "") {
    LogEntry e{number, index, status, {}};
    std::strncpy(e.description, description, kDescriptionChars);
    return e;
}

int usedEntries(const GameLog& log) {
    int n = 0;
    for (const LogEntry& e : log) n += e.status != LogStatus::Free;
    return n;
}

GameLog logAt(const std::string& path) {
    GameLog log{};
    std::string error;
    EXPECT_TRUE(readLogFile(path, log, error)) << error;
    return log;
}

// Runs `work` in a child process and gives its exit status, or -1 when it
// had not ended after `seconds` (it is then killed).
int inChild(const std::function<int()>& work, int seconds = 10) {
    const pid_t child = ::fork();
    if (child == 0) _exit(work());
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        ::usleep(1000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

int runQuietly(const std::vector<std::string>& args) {
    std::FILE* nowhere = std::fopen("/dev/null", "w");
    const int status = cli::run(args, nowhere, nowhere);
    std::fclose(nowhere);
    return status;
}

// korvat-cli as another program: in a process of its own.
int cliInChild(const std::vector<std::string>& args) {
    return inChild([&] { return runQuietly(args); });
}

TEST(LogMerge, BothProgramsDealsKeptInOrderOneEntryPerDeal) {
    const LogEntry a = entry(1, 48, LogStatus::Started), b = entry(2, 48, LogStatus::Started, "b");
    GameLog base{};
    base[0] = a;
    base[1] = b;
    // Here: a completed, a description typed for b, two new deals.
    GameLog mine = base;
    mine[0].status = LogStatus::Completed;
    std::strcpy(mine[1].description, "typed here");
    mine[2] = entry(3, 48, LogStatus::Started);
    mine[3] = entry(9, 109, LogStatus::Completed);
    // There: a description typed for a, deal 9 logged too, one deal of its own.
    GameLog disk = base;
    std::strcpy(disk[0].description, "typed there");
    disk[2] = entry(9, 109, LogStatus::Started);
    disk[3] = entry(4, 48, LogStatus::Started);
    int dropped = -1;
    const GameLog merged = mergeLogs(base, mine, disk, nullptr, dropped);
    EXPECT_EQ(dropped, 0);
    ASSERT_EQ(usedEntries(merged), 5);
    const uint32_t order[5] = {1, 2, 9, 4, 3};  // the file's order, then the deals new here
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(merged[i].gameNumber, order[i]) << i;
    EXPECT_EQ(merged[0].status, LogStatus::Completed);
    EXPECT_STREQ(merged[0].description, "typed there");
    EXPECT_STREQ(merged[1].description, "typed here");
    EXPECT_EQ(merged[2].status, LogStatus::Completed) << "completed wins over started";

    // The file was reset elsewhere: what is unchanged here goes too, but for
    // the deal being played; what changed here stays.
    GameLog emptied{};
    const GameLog afterReset = mergeLogs(base, mine, emptied, &mine[1], dropped);
    ASSERT_EQ(usedEntries(afterReset), 4);
    EXPECT_EQ(afterReset[0].gameNumber, 1u);  // completed here since
    EXPECT_EQ(afterReset[1].gameNumber, 2u);
    EXPECT_EQ(afterReset[2].gameNumber, 3u);
    EXPECT_EQ(afterReset[3].gameNumber, 9u);

    // A full file: the deals that find no entry are counted.
    GameLog full{};
    for (uint32_t i = 0; i < kLogEntries; ++i) full[i] = entry(1000 + i, 0, LogStatus::Started);
    mergeLogs(base, mine, full, nullptr, dropped);
    EXPECT_EQ(dropped, 4);
}

// The program's log while a window is open, with another program writing
// the same file.
class SharedLog : public TableTest {
protected:
    ScratchFolder folder;
    void SetUp() override {
        TableTest::SetUp();
        logFilePath = folder.file("LOG.DAT");
    }
    void TearDown() override {
        logChanged = nullptr;
        afterScoreTick = nullptr;
        logFilePath = "LOG.DAT";
        logWritable = false;
        TableTest::TearDown();
    }
    void clickStock() {
        Pile& p = *pileAt(12);  // Klondike's stock
        pressAt(p.x + table.cardWidth / 2, p.y + table.cardHeight / 2);
        release();
    }
};

TEST_F(SharedLog, WindowAndAnotherProgramLoseNothingAndTheTitleFollows) {
    GameLog before{};
    before[0] = entry(50, 48, LogStatus::Completed, "old");
    std::string error;
    ASSERT_TRUE(writeLogFile(logFilePath, before, error));
    readLog();
    logChanged = noteLogChanged;
    afterScoreTick = writeLogIfChanged;

    deal(827, 7);
    clickStock();
    ASSERT_EQ(table.logIndex, 1);
    EXPECT_EQ(usedEntries(logAt(logFilePath)), 1) << "the move does not wait for the disk";

    // Meanwhile another program logs two deals in the same file.
    ASSERT_EQ(cliInChild({"play", "827", "8", "click:12", "--log", logFilePath}), 0);
    ASSERT_EQ(cliInChild({"play", "827", "9", "click:12", "--log", logFilePath}), 0);

    scoreTick();  // the next timer tick writes the change
    const GameLog disk = logAt(logFilePath);
    ASSERT_EQ(usedEntries(disk), 4);
    EXPECT_EQ(disk[1].gameNumber, 8u);
    EXPECT_EQ(disk[2].gameNumber, 9u);
    EXPECT_EQ(disk[3].gameNumber, 7u);
    EXPECT_EQ(std::memcmp(disk.data(), gameLog.data(), sizeof(LogEntry) * kLogEntries), 0);
    EXPECT_EQ(table.logIndex, 3) << "the current deal's entry moved";
    EXPECT_EQ(countLogEntries(), 4);

    // Another deal there, then this window closes: still nothing lost.
    ASSERT_EQ(cliInChild({"play", "827", "10", "click:12", "--log", logFilePath}), 0);
    writeLog();
    EXPECT_EQ(usedEntries(logAt(logFilePath)), 5);

    // Reset log file empties the file at once, whatever the other wrote.
    deal(827, 11);
    headless.scriptedAnswers = {IdYes};
    runCommand(Command::ResetLog);
    EXPECT_EQ(usedEntries(logAt(logFilePath)), 0);
    EXPECT_EQ(headless.messages.size(), 1u) << "the question only";
}

TEST_F(SharedLog, LogLongerThanALogIsReportedAndKept) {
    std::vector<uint8_t> longer = encodeLog(GameLog{});
    longer[8] = LogStatus::Started;
    longer.resize(kLogBytes + 1, 'x');
    putFile(logFilePath, longer);
    readLog();
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_NE(headless.messages[0].text.find("longer than 28672 bytes"), std::string::npos);
    EXPECT_EQ(gameLog[0].status, LogStatus::Free);
    deal(827, 1);
    clickStock();
    writeLog();
    EXPECT_EQ(fileBytes(logFilePath), longer);
    // A shorter file is read as before: its leading entries.
    longer.resize(28);
    putFile(logFilePath, longer);
    resetLog();
    readLog();
    EXPECT_EQ(gameLog[0].status, LogStatus::Started);
}

TEST(SharedLogFile, ProgramsRacingOnOneLogLoseNoEntry) {
    ScratchFolder folder;
    const std::string log = folder.file("LOG.DAT");
    constexpr int kPairs = 12;
    for (int pair = 0; pair < kPairs; ++pair) {
        pid_t children[2];
        for (int k = 0; k < 2; ++k) {
            children[k] = ::fork();
            if (children[k] == 0)
                _exit(runQuietly({"play", "827", std::to_string(pair * 2 + k), "click:12", "--log", log}));
        }
        for (pid_t child : children) {
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    }
    const GameLog merged = logAt(log);
    ASSERT_EQ(usedEntries(merged), 2 * kPairs);
    std::vector<bool> seen(2 * kPairs);
    for (int i = 0; i < 2 * kPairs; ++i) seen[merged[static_cast<size_t>(i)].gameNumber] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 2 * kPairs);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"LOG.DAT"});
}

// Every writer of the player's files: a saved game, the log, the settings.
struct Writer {
    const char* what;
    std::function<bool(const std::string&)> write;
};

class PlayersFiles : public GameTest {
protected:
    ScratchFolder folder;
    std::vector<Writer> writers() {
        return {
            {"saved game",
             [](const std::string& path) {
                 std::string error;
                 return writeGameFile(path, error);
             }},
            {"log",
             [](const std::string& path) {
                 std::string error;
                 return writeLogFile(path, gameLog, error);
             }},
            {"settings",
             [](const std::string& path) {
                 std::string error;
                 return iniFileWriteString(path, "Prefs", "Sound", "0", error);
             }},
        };
    }
};

TEST_F(PlayersFiles, LinksAreFollowedReadOnlyFilesKept) {
    deal(827, 3);
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.what);
        const std::string real = folder.file(std::string("real ") + w.what);
        ASSERT_EQ(::mkdir(real.c_str(), 0777), 0);
        const std::string target = real + "/file", link = folder.file(w.what);
        putFile(target, {'[', 'A', ']', '\n'});
        ASSERT_EQ(::symlink((std::string("real ") + w.what + "/file").c_str(), link.c_str()), 0);
        ASSERT_TRUE(w.write(link));
        struct stat st {};
        ASSERT_EQ(::lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link is kept";
        EXPECT_GT(fileBytes(target).size(), 4u) << "its file is written";
        EXPECT_EQ(namesIn(real), std::vector<std::string>{"file"}) << "no temporary file is left";

        // Read-only: kept as it is and the write fails, though the folder
        // would allow replacing it.
        const std::vector<uint8_t> kept = fileBytes(target);
        ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
        EXPECT_FALSE(w.write(link));
        EXPECT_FALSE(w.write(target));
        EXPECT_EQ(fileBytes(target), kept);
        EXPECT_EQ(namesIn(real), std::vector<std::string>{"file"});
    }
}

TEST_F(PlayersFiles, TemporariesOfKilledWritesGoAndLongNamesCanBeSaved) {
    deal(827, 3);
    const std::string game = folder.file("G.GAM");
    // What killed writes left: ours and old, ours and new, and names that
    // only look like ours.
    const std::vector<std::string> old = {"G.GAM.aB3dEf", "G.GAM.Zz9yYy"};
    const std::vector<std::string> kept = {"G.GAM.X1b2C4", "G.GAM.backup", "G.GAM.ABC123", "G.GAMaB3dEf",
                                           "H.GAM.aB3dEf", "G.GAM.aB3dEfg"};
    for (const std::string& name : old) {
        putFile(folder.file(name), {1});
        struct utimbuf times {std::time(nullptr) - 120, std::time(nullptr) - 120};
        ASSERT_EQ(::utime(folder.file(name).c_str(), &times), 0);
    }
    for (const std::string& name : kept) {
        putFile(folder.file(name), {1});
        if (name != "G.GAM.X1b2C4") {
            struct utimbuf times {std::time(nullptr) - 120, std::time(nullptr) - 120};
            ASSERT_EQ(::utime(folder.file(name).c_str(), &times), 0);
        }
    }
    std::string error;
    ASSERT_TRUE(writeGameFile(game, error)) << error;
    for (const std::string& name : old) EXPECT_FALSE(fileExists(folder.file(name))) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fileExists(folder.file(name))) << name;

    // The longest name the folder takes is saved too.
    const std::string longest = folder.file(std::string(251, 'n') + ".GAM");
    ASSERT_TRUE(writeGameFile(longest, error)) << error;
    EXPECT_TRUE(fileExists(longest));
    EXPECT_EQ(folder.names().size(), kept.size() + 2);
}

TEST_F(PlayersFiles, PipesWithAFilesNameNeverHang) {
    for (const char* name : {"LOG.DAT", "x.GAM", "korvat.ini", "LARGE.PCX", "BACK.PCX"})
        ASSERT_EQ(::mkfifo(folder.file(name).c_str(), 0666), 0) << name;
    const std::string log = folder.file("LOG.DAT"), game = folder.file("x.GAM"), ini = folder.file("korvat.ini");
    EXPECT_EQ(inChild([&] {
                  GameLog read{};
                  std::string error;
                  bool refused = !readLogFile(log, read, error) && !readGameFile(game) &&
                                 iniFileReadInt(ini, "Prefs", "Sound", 7) == 7;
                  std::vector<uint8_t> bytes;
                  refused = refused && !view::readFile(folder.file("LARGE.PCX"), bytes);
                  Surface s;
                  view::Palette p;
                  refused = refused && !view::loadPicture(folder.file("BACK.PCX"), 0, 0, s) &&
                            !view::loadPalette(folder.file("BACK.PCX"), p);
                  return refused ? 0 : 1;
              }),
              0);
    // The korvat-cli commands that read a player's file.
    EXPECT_EQ(cliInChild({"load", game}), 1);
    EXPECT_EQ(cliInChild({"play", "827", "1", "--log", log}), 1);
}

TEST(SettingsFile, ByteOrderMarkAndLineEndingsAreKept) {
    ScratchFolder folder;
    const std::string path = folder.file("korvat.ini");
    const std::string text = "\xEF\xBB\xBF[Prefs]\r\nSound=0\r\nWindowWidth=800\r\n; note\r\n[Other]\r\nX=1";
    putFile(path, std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(iniFileReadInt(path, "Prefs", "Sound", 5), 0);
    EXPECT_EQ(iniFileReadInt(path, "Prefs", "WindowWidth", 5), 800);
    std::string error;
    ASSERT_TRUE(iniFileWriteString(path, "Prefs", "Sound", "4294967295", error)) << error;
    ASSERT_TRUE(iniFileWriteString(path, "Prefs", "WinnableOnly", "1", error)) << error;
    ASSERT_TRUE(iniFileWriteString(path, "Other", "Y", "2", error)) << error;
    const std::vector<uint8_t> bytes = fileBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "\xEF\xBB\xBF[Prefs]\r\nSound=4294967295\r\nWindowWidth=800\r\n; note\r\nWinnableOnly=1\r\n"
              "[Other]\r\nX=1\r\nY=2\r\n");
    EXPECT_EQ(iniFileReadInt(path, "Prefs", "WinnableOnly", 0), 1);
}

}  // namespace
}  // namespace korvat::test
