#include "ScriptedPrompts.h"
#include "TestSupport.h"

#include "monitor/StatusTableNames.h"
#include "workspace/modUtility.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class StatusTableNamesTest : public ::testing::Test {
protected:
    StatusTableNamesTest() { clearNameTables(); }
    ~StatusTableNamesTest() override
    {
        clearNameTables();
        gViewNicNames = gViewDescriptions = false;
    }
    QString nick(const QString& address)
    {
        gViewNicNames = true;
        gViewDescriptions = false;
        return lookupName(address);
    }
    QString program(const QString& name) const { return install.path(QStringLiteral("progs/") + name); }

    TestInstall install;
    ScriptedPrompts prompts;
};

// Flags, memory variables, X points, Y points: one "&" before each section after the first.
const QByteArray kNam = "0010Start\r\n&\r\n0012Motor\r\n/\r\n3Running\r\n#\r\n0500Speed\r\n"
                        "&\r\n0004Guard\r\n&\r\n0005Lamp\r\n/\r\n1Lamp bit\r\n&\r\n0001After the last\r\n";

TEST_F(StatusTableNamesTest, AddressesFindTheirNamesByTypeNumberAndBit)
{
    ASSERT_TRUE(readNameFile(kNam, 0, 4).description.isEmpty());
    const std::pair<const char*, const char*> cases[] = {
        {"F10", "Start"},     {"F10.3", "Start"}, {"B12", "Motor"},     {"W12", "Motor"},
        {"B12.3", "Running"}, {"B12.2", ""},      {"1F4H", "Speed"},    {"01f4h", "Speed"},
        {"X4", "Guard"},      {"Y5", "Lamp"},     {"I5", "Lamp"},       {"I5.1", "Lamp bit"},
        {"Y1", ""},           {"B", ""},          {"B9999", ""},        {"X152", ""},
        {"B12.", ""},         {"ZZH", ""},        {"  ", ""},           {" B12 ", "Motor"},
    };
    for (const auto& [address, name] : cases)
        EXPECT_EQ(nick(address), name) << address;
    // The view flags choose the kind; without either there are no names.
    readNameFile("0010Start flag\r\n", 1, 4);
    gViewNicNames = false;
    gViewDescriptions = true;
    EXPECT_EQ(lookupName("F10"), "Start flag");
    gViewDescriptions = false;
    EXPECT_EQ(lookupName("F10"), "");
}

TEST_F(StatusTableNamesTest, TheNumberFieldIsFourWideForTheLargeBoardsAndThreeForTheOthers)
{
    struct Case {
        int code;
        int number;
        const char* text;
    };
    for (const Case& c : {Case{50, 12, "Motor"}, Case{68, 12, "Motor"}, Case{0, 12, "Motor"}, Case{49, 1, "2Motor"},
                          Case{52, 1, "2Motor"}}) {
        clearNameTables();
        ASSERT_TRUE(readNameFile("&\r\n0012Motor\r\n", 0, nameNumberWidth(c.code)).description.isEmpty());
        EXPECT_EQ(gMemNames.name(0, c.number), c.text) << c.code;
    }
}

TEST_F(StatusTableNamesTest, ABadEntryEndsTheReadingAndKeepsWhatCameBefore)
{
    const std::pair<QByteArray, int> cases[] = {
        {"&\r\n0012Motor\r\n001\r\n0013Pump\r\n", 13},         // shorter than the number
        {"&\r\n0012Motor\r\n\r\n0013Pump\r\n", 13},            // an empty line
        {"&\r\n0012Motor\r\n9000Far\r\n0013Pump\r\n", 9},      // beyond the memory table
        {"&\r\n0012Motor\r\n-001Neg\r\n0013Pump\r\n", 9},      // no negative numbers
        {"&\r\n0012Motor\r\n/\r\n8Bit\r\n#\r\n0013Pump\r\n", 13}, // bit digit 8
    };
    for (const auto& [file, number] : cases) {
        SCOPED_TRACE(file.toStdString());
        clearNameTables();
        const NameFileError error = readNameFile(file, 0, 4);
        EXPECT_EQ(error.number, number);
        EXPECT_TRUE(error.description.startsWith("Item ")) << error.description.toStdString();
        EXPECT_EQ(gMemNames.name(0, 12), "Motor");
        EXPECT_EQ(gMemNames.name(0, 13), "");
        EXPECT_EQ(gMemNames.name(0, 12, 9), "");
    }
}

TEST_F(StatusTableNamesTest, LoadingNamesBoxesAMissingFileAndStopsAtABadOne)
{
    install.writeFile("progs/PUMP.doc", "&\r\n0012Motor drive\r\n");
    prompts.answerOk();
    const NameFilesLoaded loaded = loadNameFiles(program("PUMP.nam"), program("PUMP.doc"), 50);
    EXPECT_EQ(loaded.nicNames, NameFileState::Missing);
    EXPECT_EQ(loaded.descriptions, NameFileState::Read);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Unable to Open NicName File,\r\nFile Does Not Exist.");
    EXPECT_EQ(prompts.shown[0].title, "File Error");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Information);
    EXPECT_EQ(gMemNames.name(1, 12), "Motor drive");

    // A bad NAM entry ends the loading: the DOC file is not reached, the names before it stay.
    install.writeFile("progs/PUMP.NAM", "&\r\n0012Motor\r\n12\r\n");
    prompts.answerOk();
    const NameFilesLoaded bad = loadNameFiles(program("PUMP.nam"), program("PUMP.doc"), 50);
    EXPECT_EQ(bad.nicNames, NameFileState::Read);
    EXPECT_EQ(bad.descriptions, NameFileState::NotReached);
    EXPECT_EQ(prompts.shown.back().title, "Load NicNames & Descriptions");
    EXPECT_TRUE(prompts.shown.back().text.startsWith("Error Number = 13\r\n\r\nPUMP.NAM, Item 3: "));
    EXPECT_EQ(gMemNames.name(0, 12), "Motor");
    EXPECT_EQ(gMemNames.name(1, 12), "");
}

TEST_F(StatusTableNamesTest, TheOfflineImageIsPlacedByTheBoardCode)
{
    struct Case {
        const char* name;
        QByteArray file; // null: none
        int code;
        OfflineImageLoad::Status status;
        int first; // where the pairs begin
    };
    const QByteArray tooLong = QByteArray((8192 - 70 + 2) * 2, '0');
    const Case cases[] = {
        {"code 50 from byte 0", "0:?1\r\n", 50, OfflineImageLoad::Loaded, 0},
        {"code 68 from byte 0", "0:?1\r\n", 68, OfflineImageLoad::Loaded, 0},
        {"code 49 from byte 70", "0:?1\r\n", 49, OfflineImageLoad::Loaded, 70},
        {"missing", QByteArray(), 50, OfflineImageLoad::Missing, 0},
        {"empty", "", 50, OfflineImageLoad::Empty, 0},
        {"past byte 8192", tooLong, 49, OfflineImageLoad::Refused, 0},
        {"odd", "0:?", 50, OfflineImageLoad::Refused, 0},
        {"not a digit", "0:XY", 50, OfflineImageLoad::Refused, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(program("PUMP.LDT"));
        if (!c.file.isNull())
            install.writeFile("progs/PUMP.LDT", c.file);
        const OfflineImageLoad load = loadOfflineImage(program("PUMP.ldt"), c.code);
        EXPECT_EQ(load.status, c.status);
        if (c.status != OfflineImageLoad::Loaded) {
            EXPECT_TRUE(load.image.isEmpty());
            continue;
        }
        ASSERT_EQ(load.image.size(), 8193);
        EXPECT_EQ(load.image[c.first], "0A");
        EXPECT_EQ(load.image[c.first + 1], "F1");
        EXPECT_EQ(load.image[c.first + 2], "");
        EXPECT_EQ(load.image[c.first > 0 ? c.first - 1 : 8192], "");
    }
    EXPECT_EQ(loadOfflineImage(program("PUMP.LDT"), 49).status, OfflineImageLoad::Refused);
    install.writeFile("progs/PUMP.LDT", QByteArray((8192 - 70 + 1) * 2, '0'));
    EXPECT_EQ(loadOfflineImage(program("PUMP.LDT"), 49).status, OfflineImageLoad::Loaded);
}

} // namespace
