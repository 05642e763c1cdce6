// LOG.DAT: the byte layout of the game log, what is read from short, long
// and damaged files, how it is written, and how the program keeps it on
// disk while it runs.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/gamelog.h"
#include "model/score.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/program.h"
#include "store/logfile.h"
#include "store/persistence.h"
#include "store_test_support.h"
#include "view/pictures.h"
#include "test_support.h"

namespace korvat::test {
namespace {

// One entry as the table of the log lays it out: gameNumber u32,
// gameIndex i32, status i32, 16 bytes of description.
void entryBytes(Bytes& out, uint32_t number, int32_t index, int32_t status, const char* description) {
    out.u32(number).i32(index).i32(status);
    char text[16] = {};
    std::memcpy(text, description, std::strlen(description) < 16 ? std::strlen(description) : 16);
    out.text(text, 16);
}

std::vector<uint8_t> wholeLog(Bytes entries) {
    entries.b.resize(kLogBytes, 0);
    return entries.b;
}

GameLog filledLog(uint32_t marker) {
    GameLog log{};
    log[0] = {marker, 5, LogStatus::Started, "kept"};
    return log;
}

TEST(LogFile, EntriesFollowTheByteLayoutBothWays) {
    Bytes b;
    entryBytes(b, 0xDEADBEEFu, 48, LogStatus::Started, "Easy one");
    entryBytes(b, 7, 112, LogStatus::Completed, "");
    entryBytes(b, 4294967295u, 0, LogStatus::Started, "fourteen chars");
    const std::vector<uint8_t> bytes = wholeLog(b);
    ASSERT_EQ(bytes.size(), 28672u);
    // The first entry, byte by byte.
    const uint8_t head[12] = {0xEF, 0xBE, 0xAD, 0xDE, 48, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(bytes.data(), head, sizeof head));

    GameLog log{};
    std::string error;
    ASSERT_TRUE(decodeLog(bytes.data(), bytes.size(), log, error)) << error;
    EXPECT_EQ(log[0].gameNumber, 0xDEADBEEFu);
    EXPECT_EQ(log[0].gameIndex, 48);
    EXPECT_EQ(log[0].status, LogStatus::Started);
    EXPECT_STREQ(log[0].description, "Easy one");
    EXPECT_EQ(log[1].gameIndex, 112);
    EXPECT_EQ(log[1].status, LogStatus::Completed);
    EXPECT_EQ(log[2].gameNumber, 4294967295u);
    EXPECT_STREQ(log[2].description, "fourteen chars");
    EXPECT_EQ(log[3].status, LogStatus::Free);
    EXPECT_EQ(encodeLog(log), bytes);
}

TEST(LogFile, ShortFilesFillTheLeadingEntriesAndLongOnesAreCut) {
    Bytes one;
    entryBytes(one, 99, 3, LogStatus::Completed, "first");
    GameLog log = filledLog(1234);
    std::string error;
    // 28 bytes: entry 0 only; everything after it is zero.
    ASSERT_TRUE(decodeLog(one.b.data(), one.b.size(), log, error)) << error;
    EXPECT_EQ(log[0].gameNumber, 99u);
    EXPECT_STREQ(log[0].description, "first");
    for (int i = 1; i < kLogEntries; ++i) ASSERT_EQ(log[static_cast<size_t>(i)].status, LogStatus::Free) << i;

    // 30 bytes: two bytes of entry 1's game number, the rest of it zero.
    Bytes partial = one;
    partial.b.push_back(0x34);
    partial.b.push_back(0x12);
    ASSERT_TRUE(decodeLog(partial.b.data(), partial.b.size(), log, error)) << error;
    EXPECT_EQ(log[1].gameNumber, 0x1234u);
    EXPECT_EQ(log[1].status, LogStatus::Free);

    // Longer than the log: whatever follows the 1024 entries is not read.
    std::vector<uint8_t> longer = wholeLog(one);
    longer.insert(longer.end(), 100, 0xFF);
    ASSERT_TRUE(decodeLog(longer.data(), longer.size(), log, error)) << error;
    EXPECT_EQ(log[0].gameNumber, 99u);
    EXPECT_EQ(log[1023].status, LogStatus::Free);

    // An empty file gives an empty log.
    log = filledLog(1);
    ASSERT_TRUE(decodeLog(nullptr, 0, log, error));
    EXPECT_EQ(log[0].status, LogStatus::Free);
}

TEST(LogFile, DescriptionWithoutItsZeroIsReadAsFourteenCharacters) {
    Bytes b;
    b.u32(1).i32(0).i32(LogStatus::Started).text("ABCDEFGHIJKLMNOP", 16);
    GameLog log{};
    std::string error;
    ASSERT_TRUE(decodeLog(b.b.data(), b.b.size(), log, error));
    EXPECT_EQ(std::strlen(log[0].description), 14u);
    EXPECT_STREQ(log[0].description, "ABCDEFGHIJKLMN");
    // Fifteen characters and a zero are still too many.
    Bytes fifteen;
    fifteen.u32(1).i32(0).i32(LogStatus::Started).text("ABCDEFGHIJKLMNO\0", 16);
    ASSERT_TRUE(decodeLog(fifteen.b.data(), fifteen.b.size(), log, error));
    EXPECT_EQ(std::strlen(log[0].description), 14u);
}

TEST(LogFile, DamagedEntriesRefuseTheFileAndLeaveTheLog) {
    struct Case {
        const char* what;
        int32_t index, status;
    } cases[] = {
        {"unknown status", 0, 3},
        {"negative status", 0, -1},
        {"game row past the catalogue", 113, LogStatus::Started},
        {"negative game row", -1, LogStatus::Completed},
    };
    for (const Case& c : cases) {
        Bytes b;
        entryBytes(b, 1, 0, LogStatus::Started, "good");
        entryBytes(b, 2, c.index, c.status, "bad");
        GameLog log = filledLog(777);
        std::string error;
        EXPECT_FALSE(decodeLog(b.b.data(), b.b.size(), log, error)) << c.what;
        EXPECT_NE(error.find("Entry 1"), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(log[0].gameNumber, 777u) << c.what;
        EXPECT_STREQ(log[0].description, "kept") << c.what;
    }
    // A free entry's other fields are not looked at.
    Bytes freeEntry;
    entryBytes(freeEntry, 5, 9999, LogStatus::Free, "");
    GameLog log{};
    std::string error;
    EXPECT_TRUE(decodeLog(freeEntry.b.data(), freeEntry.b.size(), log, error));
}

TEST(LogFile, WrittenWholeThroughATemporaryFile) {
    ScratchFolder folder;
    const std::string path = folder.file("LOG.DAT");
    putFile(path, std::vector<uint8_t>(40000, 0xAA));  // an older, longer file
    GameLog log{};
    log[0] = {42, 48, LogStatus::Completed, "won"};
    log[1023] = {43, 112, LogStatus::Started, "last"};
    std::string error;
    ASSERT_TRUE(writeLogFile(path, log, error)) << error;
    const std::vector<uint8_t> bytes = fileBytes(path);
    EXPECT_EQ(bytes.size(), 28672u);
    EXPECT_EQ(bytes, encodeLog(log));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"LOG.DAT"});

    GameLog back{};
    ASSERT_TRUE(readLogFile(path, back, error)) << error;
    EXPECT_EQ(encodeLog(back), bytes);

    // A folder that is not there: refused with a reason, nothing made.
    EXPECT_FALSE(writeLogFile(folder.file("gone/LOG.DAT"), log, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fileExists(folder.file("gone")));

    // Reading what is not there says so, and leaves the log.
    bool missing = false;
    GameLog kept = filledLog(9);
    EXPECT_FALSE(readLogFile(folder.file("none.DAT"), kept, error, &missing));
    EXPECT_TRUE(missing);
    EXPECT_EQ(kept[0].gameNumber, 9u);
}

// The program's own use of the log file.
class LogOnDisk : public TableTest {
protected:
    ScratchFolder folder;
    bool writableAtStart = false;
    void SetUp() override {
        TableTest::SetUp();
        writableAtStart = logWritable;
        logFilePath = folder.file("LOG.DAT");
        logWritable = true;
    }
    void TearDown() override {
        logChanged = nullptr;
        logFilePath = "LOG.DAT";
        logWritable = false;
        TableTest::TearDown();
    }
    void clickPile(int index) {
        Pile& p = *pileAt(index);
        const int x = (p.top ? p.top->x : p.x) + table.cardWidth / 2;
        const int y = (p.top ? p.top->y : p.y) + table.cardHeight / 2;
        pressAt(x, y);
        release();
    }
    GameLog onDisk() {
        GameLog log{};
        std::string error;
        EXPECT_TRUE(readLogFile(logFilePath, log, error)) << error;
        return log;
    }
};

TEST_F(LogOnDisk, MissingFileGivesAnEmptyLogSilently) {
    gameLog[0] = {1, 1, LogStatus::Started, ""};
    resetLog();
    readLog();
    EXPECT_TRUE(headless.messages.empty());
    EXPECT_TRUE(logWritable);
    EXPECT_EQ(gameLog[0].status, LogStatus::Free);
}

TEST_F(LogOnDisk, EveryNewDealAndEveryWinIsOnDiskAtOnce) {
    logChanged = writeLog;
    deal(827, 1);  // Klondike: pile 12 is the stock, 0..3 the foundations
    EXPECT_FALSE(fileExists(logFilePath));  // dealing alone logs nothing
    clickPile(12);
    ASSERT_EQ(table.logIndex, 0);
    GameLog disk = onDisk();
    EXPECT_EQ(disk[0].status, LogStatus::Started);
    EXPECT_EQ(disk[0].gameNumber, 1u);
    EXPECT_EQ(disk[0].gameIndex, table.gameIndex);

    // The deal is won: every card on the foundations.
    emptyTable(827, 1);
    table.logIndex = addLogEntry();
    ASSERT_EQ(table.logIndex, 0);
    const int suitOfPile[4] = {0, 2, 3, 1};  // spades, hearts, diamonds, clubs
    for (int f = 0; f < 4; ++f)
        for (int rank = 0; rank < 13; ++rank) put(pile(f), rank * 4 + suitOfPile[f]);
    checkWin();
    ASSERT_EQ(gameLog[0].status, LogStatus::Completed);
    EXPECT_EQ(onDisk()[0].status, LogStatus::Completed);
    EXPECT_TRUE(headless.messages.empty());
}

TEST_F(LogOnDisk, UnreadableFileIsReportedOnceAndNeverOverwritten) {
    Bytes b;
    entryBytes(b, 1, 0, 9, "damaged");
    const std::vector<uint8_t> original = wholeLog(b);
    putFile(logFilePath, original);
    readLog();
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].caption, "MODERATE ERROR");
    EXPECT_NE(headless.messages[0].text.find("unknown status"), std::string::npos);
    EXPECT_FALSE(logWritable);
    EXPECT_EQ(gameLog[0].status, LogStatus::Free);

    // Playing on: deals are logged in memory, the file stays as it was.
    logChanged = writeLog;
    deal(827, 1);
    clickPile(12);
    EXPECT_EQ(table.logIndex, 0);
    writeLog();  // as at shut-down
    EXPECT_EQ(fileBytes(logFilePath), original);
    EXPECT_EQ(headless.messages.size(), 1u);
}

TEST_F(LogOnDisk, StartThatFailsWritesNoEmptyLogOverThePlayers) {
    Bytes b;
    entryBytes(b, 5, 48, LogStatus::Completed, "mine");
    const std::vector<uint8_t> players = wholeLog(b);
    putFile(logFilePath, players);
    ASSERT_FALSE(writableAtStart);
    logWritable = writableAtStart;  // as the program starts
    // No card pictures anywhere: the start ends with its fatal message.
    char here[4096];
    ASSERT_TRUE(getcwd(here, sizeof here));
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    setenv("KORVAT_DATA", folder.file("no pictures").c_str(), 1);
    view::fatalExit = [](int) {};  // the start returns instead of ending the process
    const bool started = startProgram("");
    shutDownProgram();  // the window is destroyed all the same
    view::fatalExit = std::exit;
    unsetenv("KORVAT_DATA");
    ASSERT_EQ(chdir(here), 0);
    EXPECT_FALSE(started);
    EXPECT_FALSE(headless.messages.empty());
    EXPECT_EQ(fileBytes(logFilePath), players);
}

TEST_F(LogOnDisk, FailedWriteIsReported) {
    logFilePath = folder.file("no such folder/LOG.DAT");
    writeLog();
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].caption, "MODERATE ERROR");
    EXPECT_NE(headless.messages[0].text.find("could not be saved"), std::string::npos);
}

TEST_F(LogOnDisk, ResetLogFileAsksAlwaysAndOnlyBetweenGames) {
    deal(827, 1);
    clickPile(12);  // the deal is now logged and in progress
    ASSERT_NE(table.logIndex, -1);
    runCommand(Command::ResetLog);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].caption, "NOT NOW.");
    EXPECT_EQ(headless.messages[0].text, "Game in progress.  Complete this game first, or start a new game.");
    EXPECT_EQ(headless.messages[0].style, Mb::Ok | Mb::IconStop);
    EXPECT_EQ(gameLog[0].status, LogStatus::Started);

    // A new deal has no entry yet: the question comes although Prompt is off.
    prefs.Prompt = 0;
    deal(827, 2);
    ASSERT_EQ(table.logIndex, -1);
    headless.scriptedAnswers = {IdNo};
    runCommand(Command::ResetLog);
    ASSERT_EQ(headless.messages.size(), 2u);
    EXPECT_EQ(headless.messages[1].caption, "ARE YOU SURE?");
    EXPECT_EQ(headless.messages[1].text, "Reset Log file?");
    EXPECT_EQ(headless.messages[1].style, Mb::YesNo | Mb::IconQuestion);
    EXPECT_EQ(gameLog[0].status, LogStatus::Started);

    headless.scriptedAnswers = {IdYes};
    runCommand(Command::ResetLog);
    EXPECT_EQ(gameLog[0].status, LogStatus::Free);
    EXPECT_EQ(gameLog[0].gameNumber, 0u);
}

}  // namespace
}  // namespace korvat::test
