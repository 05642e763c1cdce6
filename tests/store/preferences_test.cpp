// The preferences: korvat.ini read and written, values that fall back, and
// the Preferences dialog's procedure.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/deck.h"
#include "model/preferences.h"
#include "model/score.h"
#include "play/card_moves.h"
#include "shell/preferences_dialog.h"
#include "store/ini_file.h"
#include "store/persistence.h"
#include "store_test_support.h"
#include "test_support.h"
#include "view/pictures.h"
#include "view/table_drawing.h"

namespace korvat::test {
namespace {

// ---- The INI file ----

TEST(IniFile, ValuesAreFoundAndSetWithoutDisturbingTheRest) {
    const std::string text =
        "; the player's own notes\n"
        "[Other]\n"
        "CardBack=3\n"
        "\n"
        "[prefs]\n"
        "  cardback = 5  \n"
        "Move=1\n"
        "\n"
        "[Last]\n"
        "x=y\n";
    std::string value;
    EXPECT_TRUE(iniFindValue(text, "Prefs", "CardBack", value));  // names in any case
    EXPECT_EQ(value, "5");
    EXPECT_TRUE(iniFindValue(text, "Other", "CardBack", value));
    EXPECT_EQ(value, "3");
    EXPECT_FALSE(iniFindValue(text, "Prefs", "Sound", value));
    EXPECT_FALSE(iniFindValue(text, "Nowhere", "Move", value));

    // Replaced where it stands.
    std::string changed = iniSetValue(text, "Prefs", "CardBack", "7");
    EXPECT_EQ(changed,
              "; the player's own notes\n[Other]\nCardBack=3\n\n[prefs]\nCardBack=7\nMove=1\n\n[Last]\nx=y\n");
    // Added at the end of its section, before the blank line.
    changed = iniSetValue(changed, "Prefs", "Sound", "0");
    EXPECT_EQ(changed,
              "; the player's own notes\n[Other]\nCardBack=3\n\n[prefs]\nCardBack=7\nMove=1\nSound=0\n\n[Last]\nx=y\n");
    // A new section at the end.
    EXPECT_EQ(iniSetValue("", "Prefs", "Move", "2"), "[Prefs]\nMove=2\n");
    EXPECT_EQ(iniSetValue("a=b", "Prefs", "Move", "2"), "a=b\n\n[Prefs]\nMove=2\n");
}

TEST(IniFile, NumbersAreReadModulo2To32) {
    EXPECT_EQ(iniParseInt("4294967295"), -1);
    EXPECT_EQ(iniParseInt("4294967294"), -2);
    EXPECT_EQ(iniParseInt("-1"), -1);
    EXPECT_EQ(iniParseInt("  12abc"), 12);
    EXPECT_EQ(iniParseInt("abc"), 0);
    EXPECT_EQ(iniParseInt(""), 0);
    EXPECT_EQ(iniParseInt("4294967296"), 0);
    EXPECT_EQ(iniParseInt("99999999999999999999"), 1661992959);  // 10^20 - 1 modulo 2^32
}

TEST(IniFile, FileIsMadeWithItsFolderAndRewrittenWhole) {
    ScratchFolder folder;
    const std::string path = folder.file("config/korvat/korvat.ini");
    EXPECT_EQ(iniFileReadInt(path, "Prefs", "Move", 2), 2);
    std::string error;
    ASSERT_TRUE(iniFileWriteString(path, "Prefs", "Move", "3", error)) << error;
    ASSERT_TRUE(iniFileWriteString(path, "Prefs", "Sound", "4294967295", error)) << error;
    EXPECT_EQ(iniFileReadInt(path, "Prefs", "Move", 2), 3);
    EXPECT_EQ(iniFileReadInt(path, "Prefs", "Sound", 0), -1);
    EXPECT_EQ(iniFileReadInt(path, "Prefs", "Seed", 8), 8);
    const std::vector<uint8_t> bytes = fileBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "[Prefs]\nMove=3\nSound=4294967295\n");
    // Only the file itself is left: no temporary files beside it.
    EXPECT_EQ(namesIn(folder.file("config/korvat")), std::vector<std::string>{"korvat.ini"});

    // A folder where the file should be: reading gives the default, writing fails.
    ASSERT_TRUE(iniFileWriteString(folder.file("dir/x"), "S", "K", "1", error));
    EXPECT_EQ(iniFileReadInt(folder.file("dir"), "S", "K", 5), 5);
    EXPECT_FALSE(iniFileWriteString(folder.file("dir"), "S", "K", "1", error));
}

TEST(IniFile, PlaceOfTheSettingsFile) {
    const char* saved[3] = {std::getenv("KORVAT_INI"), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")};
    const std::string keep[3] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "", saved[2] ? saved[2] : ""};
    unsetenv("KORVAT_INI");
    setenv("HOME", "/home/player", 1);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(korvatIniPath(), "/home/player/.config/korvat/korvat.ini");
    setenv("XDG_CONFIG_HOME", "/etc/xdg-player", 1);
    EXPECT_EQ(korvatIniPath(), "/etc/xdg-player/korvat/korvat.ini");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // not an absolute path: ignored
    EXPECT_EQ(korvatIniPath(), "/home/player/.config/korvat/korvat.ini");
    setenv("KORVAT_INI", "/tmp/test.ini", 1);
    EXPECT_EQ(korvatIniPath(), "/tmp/test.ini");
    const char* names[3] = {"KORVAT_INI", "XDG_CONFIG_HOME", "HOME"};
    for (int i = 0; i < 3; ++i) {
        if (saved[i])
            setenv(names[i], keep[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
}

// ---- Reading and writing the preferences ----

// Records the order of the writes.
class RecordingPlatform : public HeadlessPlatform {
public:
    std::vector<std::string> written;
    bool failWrites = false;
    bool iniWriteString(const char* section, const char* key, const char* value) override {
        written.push_back(std::string(section) + "/" + key + "=" + value);
        return !failWrites && HeadlessPlatform::iniWriteString(section, key, value);
    }
};

class PreferencesFile : public GameTest {
protected:
    RecordingPlatform recording;
    void SetUp() override {
        GameTest::SetUp();
        setPlatform(&recording);
    }
};

TEST_F(PreferencesFile, FirstRunGivesTheDefaults) {
    prefs.Prompt = 5;
    prefs.CardBack = 1;
    readPreferences();
    const Preferences d;
    for (const PreferenceKey& key : preferenceKeys) EXPECT_EQ(prefs.*key.field, d.*key.field) << key.name;
    EXPECT_EQ(prefs.Prompt, 0);
    EXPECT_EQ(prefs.AllowCounter, -1);
    EXPECT_EQ(prefs.CardBack, 6);
    EXPECT_EQ(prefs.TableBack, 15);
    EXPECT_EQ(prefs.Move, 2);
    EXPECT_EQ(prefs.LastGame, 827);
}

TEST_F(PreferencesFile, WrittenInOrderAsUnsignedWithTheGameBeingPlayed) {
    deal(901, 1);  // Spider is played; the record still says Klondike
    prefs.AllowCheat = -1;
    prefs.Sound = 0;
    prefs.Three = 7;
    prefs.CardBack = 3;
    writePreferences();
    const std::vector<std::string> expected = {
        "Prefs/CardBack=3",   "Prefs/TableBack=15",        "Prefs/Move=2",     "Prefs/LastGame=901",
        "Prefs/Right=0",      "Prefs/Prompt=0",            "Prefs/AllowCheat=4294967295",
        "Prefs/AllowCounter=4294967295", "Prefs/AllowUndo=4294967295", "Prefs/Seed=0", "Prefs/Three=7",
        "Prefs/Unlimit=0",    "Prefs/Sound=0",             "Prefs/Sizes=0"};
    EXPECT_EQ(recording.written, expected);
    EXPECT_EQ(prefs.LastGame, 827);
    EXPECT_TRUE(recording.messages.empty());

    // Read back: the same settings, on switches on, and Spider to start with.
    prefs = Preferences{};
    readPreferences();
    EXPECT_EQ(prefs.AllowCheat, -1);
    EXPECT_EQ(prefs.Sound, 0);
    EXPECT_EQ(prefs.Three, 7);
    EXPECT_EQ(prefs.CardBack, 3);
    EXPECT_EQ(prefs.LastGame, 901);
}

TEST_F(PreferencesFile, FailedWriteIsReportedOnce) {
    recording.failWrites = true;
    writePreferences();
    ASSERT_EQ(recording.messages.size(), 1u);
    EXPECT_EQ(recording.messages[0].caption, "MODERATE ERROR");
}

TEST_F(PreferencesFile, OutOfRangeValuesFallBackAndDrawNothingOutside) {
    recording.ini["Prefs/CardBack"] = "8";
    recording.ini["Prefs/TableBack"] = "4294967295";
    recording.ini["Prefs/Move"] = "77";
    recording.ini["Prefs/Right"] = "2";
    recording.ini["Prefs/LastGame"] = "12345";
    recording.ini["Prefs/Sizes"] = "3";
    readPreferences();
    EXPECT_EQ(prefs.CardBack, 6);
    EXPECT_EQ(prefs.TableBack, 15);
    EXPECT_EQ(prefs.Move, 2);
    EXPECT_EQ(prefs.Right, 0);
    EXPECT_EQ(prefs.Sizes, 3);  // a switch: any value is on
    EXPECT_EQ(prefs.LastGame, 12345);
    selectGame(prefs.LastGame);  // an unknown game: the first row
    EXPECT_EQ(table.gameIndex, 0);

    // The edges of every range, drawn: nothing is read outside a picture
    // or a table (the sanitizers watch the reads).
    ASSERT_TRUE(view::startGraphics());
    for (const char* values : {"0 0 0 0", "7 15 3 1", "-1 16 -1 -1", "2147483647 -2147483648 4 99"}) {
        SCOPED_TRACE(values);
        long v[4];
        std::sscanf(values, "%ld %ld %ld %ld", &v[0], &v[1], &v[2], &v[3]);
        recording.ini["Prefs/CardBack"] = std::to_string(v[0]);
        recording.ini["Prefs/TableBack"] = std::to_string(v[1]);
        recording.ini["Prefs/Move"] = std::to_string(v[2]);
        recording.ini["Prefs/Right"] = std::to_string(v[3]);
        readPreferences();
        EXPECT_GE(prefs.CardBack, 0);
        EXPECT_LE(prefs.CardBack, 7);
        EXPECT_GE(prefs.TableBack, 0);
        EXPECT_LE(prefs.TableBack, 15);
        EXPECT_GE(prefs.Move, 0);
        EXPECT_LE(prefs.Move, 3);
        EXPECT_GE(prefs.Right, 0);
        EXPECT_LE(prefs.Right, 1);
        deal(827, 1);
        repaintTable();
        EXPECT_EQ(glideFrames(), 1 << (prefs.Move + 4));
    }
}

// ---- The dialog's procedure ----

int counterClosings = 0;

class PreferencesDialogProcedure : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        counterClosings = 0;
        closeCounterWindow = [] { ++counterClosings; };
        deal(827, 11);
    }
    void TearDown() override {
        closeCounterWindow = nullptr;
        GameTest::TearDown();
    }
};

TEST_F(PreferencesDialogProcedure, ControlsOfTheTemplate) {
    struct Expected {
        int id;
        const char* text;
    };
    const Expected expected[] = {
        {1800, "Display prompt."}, {1801, "Allow display all cards."}, {1802, "Allow card counter."},
        {1803, "Allow undo."},     {1804, "Display game seed."},       {1805, "Allow deal three."},
        {1806, "Allow unlimited redeals."}, {1807, "Enable sounds."},  {1808, "Show pile sizes."},
        {1809, "286"}, {1810, "386"}, {1811, "486"}, {1812, "586"},
        {1813, "Display rules."}, {1814, "Autoplay cards."},
        {1815, "Down"}, {1816, "Up"}, {1817, "Down"}, {1818, "Up"}, {1, "OK"},
    };
    for (const Expected& e : expected) {
        int found = 0;
        for (int i = 0; i < kPreferencesControlCount; ++i)
            if (kPreferencesControls[i].id == e.id) {
                ++found;
                EXPECT_STREQ(kPreferencesControls[i].text, e.text);
                // Every control lies inside the dialog.
                EXPECT_LE(kPreferencesControls[i].x + kPreferencesControls[i].width, kPreferencesWidth);
                EXPECT_LE(kPreferencesControls[i].y + kPreferencesControls[i].height, kPreferencesHeight);
            }
        EXPECT_EQ(found, 1) << e.id;
    }
    int groups = 0, defaults = 0, groupStarts = 0;
    for (int i = 0; i < kPreferencesControlCount; ++i) {
        const PreferencesControl& c = kPreferencesControls[i];
        groups += c.kind == PreferencesControlKind::GroupBox;
        defaults += c.kind == PreferencesControlKind::DefaultPushButton;
        groupStarts += c.startsGroup;
        if (c.startsGroup) {
            EXPECT_TRUE(c.id == 1809 || c.id == 1813) << c.id;
        }
    }
    EXPECT_EQ(groups, 5);
    EXPECT_EQ(defaults, 1);
    EXPECT_EQ(groupStarts, 2);
}

TEST_F(PreferencesDialogProcedure, SwitchesInvertAndTheirMarksFollow) {
    const int switches[9] = {1800, 1801, 1802, 1803, 1804, 1805, 1807, 1808, 1806};
    int32_t Preferences::*fields[9] = {&Preferences::Prompt, &Preferences::AllowCheat, &Preferences::AllowCounter,
                                       &Preferences::AllowUndo, &Preferences::Seed, &Preferences::Three,
                                       &Preferences::Sound, &Preferences::Sizes, &Preferences::Unlimit};
    for (int i = 0; i < 9; ++i) {
        const int32_t was = prefs.*fields[i];
        EXPECT_EQ(preferencesControlChecked(switches[i]), was != 0) << switches[i];
        EXPECT_FALSE(preferencesDialogCommand(switches[i]));
        EXPECT_EQ(prefs.*fields[i], was ? 0 : -1) << switches[i];
        EXPECT_EQ(preferencesControlChecked(switches[i]), was == 0) << switches[i];
    }
    // An on value other than -1 (from the file) is switched off, not to
    // another on value.
    prefs.Sizes = 5;
    ASSERT_TRUE(preferencesControlChecked(1808));
    preferencesDialogCommand(1808);
    EXPECT_EQ(prefs.Sizes, 0);
    EXPECT_FALSE(preferencesControlChecked(1808));
}

TEST_F(PreferencesDialogProcedure, SwitchingOffCheatHidesTheCardsAndCounterClosesIt) {
    prefs.AllowCheat = -1;
    table.showAllCards = 1;
    preferencesDialogCommand(1801);
    EXPECT_EQ(prefs.AllowCheat, 0);
    EXPECT_EQ(table.showAllCards, 0);

    preferencesDialogCommand(1802);  // on -> off
    EXPECT_EQ(counterClosings, 1);
    preferencesDialogCommand(1802);  // off -> on: nothing to close
    EXPECT_EQ(counterClosings, 1);

    prefs.Seed = 0;
    gameNumber = 4242;
    preferencesDialogCommand(1804);
    EXPECT_NE(headless.title.find("4242"), std::string::npos);
}

TEST_F(PreferencesDialogProcedure, UnlimitedRedealsAskFirstWhateverPromptSays) {
    prefs.Prompt = 0;
    const uint32_t number = gameNumber;
    ASSERT_EQ(table.redealsLeft, 2);
    table.undoCount = 0;
    headless.scriptedAnswers = {IdCancel};
    preferencesDialogCommand(1806);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].text, "The game must be restarted if redeal status is changed.");
    EXPECT_EQ(headless.messages[0].caption, "ARE YOU SURE?");
    EXPECT_EQ(headless.messages[0].style, Mb::OkCancel | Mb::IconQuestion);
    EXPECT_EQ(prefs.Unlimit, 0);
    EXPECT_FALSE(preferencesControlChecked(1806));  // the mark goes back
    EXPECT_EQ(table.redealsLeft, 2);

    headless.scriptedAnswers = {IdOk};
    preferencesDialogCommand(1806);
    EXPECT_EQ(prefs.Unlimit, -1);
    EXPECT_EQ(table.redealsLeft, -1);
    EXPECT_EQ(gameNumber, number);  // the same deal, dealt again
    EXPECT_EQ(table.answer, IdOk);
}

TEST_F(PreferencesDialogProcedure, RadioButtonsBacksAndOk) {
    for (int id = 1809; id <= 1812; ++id) {
        preferencesDialogCommand(id);
        EXPECT_EQ(prefs.Move, id - 1809);
        for (int other = 1809; other <= 1812; ++other) EXPECT_EQ(preferencesControlChecked(other), other == id);
    }
    prefs.Move = 9;  // outside: no button of the group is marked
    for (int other = 1809; other <= 1812; ++other) EXPECT_FALSE(preferencesControlChecked(other));
    preferencesDialogCommand(1814);
    EXPECT_EQ(prefs.Right, 1);
    EXPECT_TRUE(preferencesControlChecked(1814));
    preferencesDialogCommand(1813);
    EXPECT_EQ(prefs.Right, 0);

    prefs.CardBack = 7;
    preferencesDialogCommand(1816);
    EXPECT_EQ(prefs.CardBack, 0);
    preferencesDialogCommand(1815);
    EXPECT_EQ(prefs.CardBack, 7);
    prefs.TableBack = 0;
    preferencesDialogCommand(1817);
    EXPECT_EQ(prefs.TableBack, 15);
    preferencesDialogCommand(1818);
    EXPECT_EQ(prefs.TableBack, 0);

    EXPECT_TRUE(headless.ini.empty());
    EXPECT_TRUE(preferencesDialogCommand(1));
    EXPECT_EQ(headless.ini.size(), 14u);
    EXPECT_EQ(headless.ini["Prefs/CardBack"], "7");
    EXPECT_EQ(headless.ini["Prefs/LastGame"], "827");
}

}  // namespace
}  // namespace korvat::test
