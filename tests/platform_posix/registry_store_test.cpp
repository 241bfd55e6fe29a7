#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/registry_store.h"
#include "platform/sqlite_registry.h"

namespace {

using pos::platform::Hive;
using pos::platform::openSqliteRegistry;
using pos::platform::RegistryStore;
using pos::platform::RegistryValue;
using pos::platform::ValueType;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using Values = std::vector<RegistryValue>;

constexpr Hive kMachine = Hive::LocalMachine;

RegistryValue text(std::string name, std::string data, ValueType type = ValueType::String) {
    return RegistryValue{std::move(name), type, std::move(data), 0};
}

RegistryValue dword(std::string name, std::uint32_t number) {
    return RegistryValue{std::move(name), ValueType::DWord, "", number};
}

std::string repeat(std::string_view piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

class TempFolder {
  public:
    TempFolder() {
        std::random_device random;
        do {
            path_ = fs::temp_directory_path() /
                    ("registry-test-" + std::to_string(random()) + std::to_string(random()));
        } while (!fs::create_directory(path_));
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

std::unique_ptr<RegistryStore> openOrFail(const fs::path& file) {
    std::string error;
    auto store = openSqliteRegistry(file.string(), &error);
    EXPECT_NE(store, nullptr) << error;
    return store;
}

class RegistryStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(store, nullptr); }

    TempFolder folder;
    fs::path file = folder.path() / "registry.db";
    std::unique_ptr<RegistryStore> store = openOrFail(file);
};

TEST_F(RegistryStoreTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    ASSERT_TRUE(store->createKey(kMachine, "Software\\Vendor\\Printer"));
    ASSERT_TRUE(store->createKey(kMachine, "SOFTWARE\\VENDOR\\printer\\Port"));
    EXPECT_EQ(store->subkeys(kMachine, "software"), Names{"Vendor"});
    EXPECT_EQ(store->subkeys(kMachine, "software\\vendor"), Names{"Printer"});
    EXPECT_TRUE(store->keyExists(kMachine, "sOfTwArE\\vEnDoR\\PRINTER\\port"));

    ASSERT_TRUE(store->writeValue(kMachine, "Software\\Vendor\\Printer", text("DeviceName", "1")));
    ASSERT_TRUE(store->writeValue(kMachine, "SOFTWARE\\VENDOR\\PRINTER", text("DEVICENAME", "2")));
    EXPECT_EQ(store->values(kMachine, "software\\vendor\\printer"),
              Values{text("DeviceName", "2")});
    EXPECT_EQ(store->readValue(kMachine, "Software\\Vendor\\Printer", "devicename"),
              text("DeviceName", "2"));
}

TEST_F(RegistryStoreTest, StraySeparatorsAreIgnoredAndEmptyPathIsTheHiveRoot) {
    ASSERT_TRUE(store->createKey(kMachine, "\\A\\\\B\\"));
    EXPECT_TRUE(store->keyExists(kMachine, "A\\B"));
    EXPECT_EQ(store->subkeys(kMachine, ""), Names{"A"});
    EXPECT_EQ(store->subkeys(kMachine, "\\"), Names{"A"});
    EXPECT_TRUE(store->keyExists(kMachine, ""));

    ASSERT_TRUE(store->writeValue(kMachine, "", text("", "root default")));
    ASSERT_TRUE(store->writeValue(kMachine, "A\\B", text("", "key default")));
    EXPECT_EQ(store->readValue(kMachine, "\\", ""), text("", "root default"));
    EXPECT_EQ(store->readValue(kMachine, "A\\\\B", ""), text("", "key default"));
}

TEST_F(RegistryStoreTest, ValuesKeepCreationOrderAndAnOverwriteKeepsItsPlace) {
    const char* key = "Software\\Device";
    ASSERT_TRUE(store->writeValue(kMachine, key, text("Zeta", "z")));
    ASSERT_TRUE(store->writeValue(kMachine, key, dword("alpha", 7)));
    ASSERT_TRUE(store->writeValue(kMachine, key, text("Mid", "%TEMP%", ValueType::ExpandString)));
    ASSERT_TRUE(store->writeValue(kMachine, key, text("ALPHA", "now text")));
    EXPECT_EQ(store->values(kMachine, key),
              (Values{text("Zeta", "z"), text("alpha", "now text"),
                      text("Mid", "%TEMP%", ValueType::ExpandString)}));

    ASSERT_TRUE(store->deleteValue(kMachine, key, "zeta"));
    ASSERT_TRUE(store->writeValue(kMachine, key, text("ZETA", "back")));
    EXPECT_EQ(store->values(kMachine, key),
              (Values{text("alpha", "now text"), text("Mid", "%TEMP%", ValueType::ExpandString),
                      text("ZETA", "back")}));
}

TEST_F(RegistryStoreTest, SubkeysComeInCreationOrder) {
    for (const char* path : {"Root\\Z", "Root\\a", "Root\\M", "Root\\b\\child", "Root\\a\\x"}) {
        ASSERT_TRUE(store->createKey(kMachine, path)) << path;
    }
    EXPECT_EQ(store->subkeys(kMachine, "Root"), (Names{"Z", "a", "M", "b"}));
}

TEST_F(RegistryStoreTest, EveryTypeRoundTripsThroughTheFile) {
    const Values written{
        text("", ""),
        text("Port", "COM1"),
        text("Path", "%ProgramFiles%\\Pos\\so.dll", ValueType::ExpandString),
        text("Utf8", "\xC3\x84 \xE2\x82\xAC \xF0\x9F\x98\x80"),
        dword("Zero", 0),
        dword("HighBit", 0x80000000u),
        dword("Max", 0xFFFFFFFFu),
    };
    for (const auto& value : written) {
        ASSERT_TRUE(store->writeValue(Hive::ClassesRoot, "Types", value)) << value.name;
    }
    store.reset();
    store = openOrFail(file);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->values(Hive::ClassesRoot, "Types"), written);
    for (const auto& value : written) {
        EXPECT_EQ(store->readValue(Hive::ClassesRoot, "Types", value.name), value) << value.name;
    }
}

TEST_F(RegistryStoreTest, DeleteKeyTreeRemovesTheSubtreeAndNothingBeside) {
    ASSERT_TRUE(store->writeValue(kMachine, "Root", text("Top", "t")));
    ASSERT_TRUE(store->writeValue(kMachine, "Root\\AB", text("Sibling", "prefix twin")));
    ASSERT_TRUE(store->writeValue(kMachine, "Root\\C", text("Sibling", "c")));
    // Created last: their row ids are reused when recreated, so leftover values would show.
    ASSERT_TRUE(store->writeValue(kMachine, "Root\\A", text("V", "a")));
    ASSERT_TRUE(store->writeValue(kMachine, "Root\\A\\B", text("V", "b")));
    ASSERT_TRUE(store->writeValue(kMachine, "Root\\A\\B\\C", text("V", "c")));

    EXPECT_TRUE(store->deleteKeyTree(kMachine, "root\\a"));
    EXPECT_FALSE(store->keyExists(kMachine, "Root\\A"));
    EXPECT_FALSE(store->keyExists(kMachine, "Root\\A\\B\\C"));
    EXPECT_EQ(store->subkeys(kMachine, "Root"), (Names{"AB", "C"}));
    EXPECT_EQ(store->values(kMachine, "Root"), Values{text("Top", "t")});
    EXPECT_EQ(store->values(kMachine, "Root\\AB"), Values{text("Sibling", "prefix twin")});
    EXPECT_EQ(store->values(kMachine, "Root\\C"), Values{text("Sibling", "c")});

    ASSERT_TRUE(store->createKey(kMachine, "Root\\A\\B\\C"));
    EXPECT_TRUE(store->values(kMachine, "Root\\A").empty());
    EXPECT_TRUE(store->values(kMachine, "Root\\A\\B").empty());
    EXPECT_TRUE(store->values(kMachine, "Root\\A\\B\\C").empty());
}

TEST_F(RegistryStoreTest, DeletingWhatIsNotThereReturnsFalse) {
    ASSERT_TRUE(store->writeValue(kMachine, "Root\\Key", text("Name", "v")));
    EXPECT_FALSE(store->deleteKeyTree(kMachine, "Root\\Missing"));
    EXPECT_FALSE(store->deleteKeyTree(kMachine, "Missing\\Key"));
    EXPECT_FALSE(store->deleteValue(kMachine, "Root\\Key", "Other"));
    EXPECT_FALSE(store->deleteValue(kMachine, "Root\\Missing", "Name"));
    EXPECT_TRUE(store->deleteValue(kMachine, "Root\\Key", "NAME"));
    EXPECT_FALSE(store->deleteValue(kMachine, "Root\\Key", "Name"));
    EXPECT_TRUE(store->deleteKeyTree(kMachine, "Root"));
    EXPECT_FALSE(store->deleteKeyTree(kMachine, "Root"));
}

TEST_F(RegistryStoreTest, TheHiveRootCannotBeDeleted) {
    ASSERT_TRUE(store->writeValue(kMachine, "", text("RootValue", "r")));
    ASSERT_TRUE(store->createKey(kMachine, "Key"));
    EXPECT_FALSE(store->deleteKeyTree(kMachine, ""));
    EXPECT_FALSE(store->deleteKeyTree(kMachine, "\\\\"));
    EXPECT_EQ(store->subkeys(kMachine, ""), Names{"Key"});
    EXPECT_EQ(store->values(kMachine, ""), Values{text("RootValue", "r")});
}

TEST_F(RegistryStoreTest, HivesAreSeparateNamespaces) {
    ASSERT_TRUE(store->writeValue(Hive::LocalMachine, "Software\\X", text("Where", "machine")));
    EXPECT_FALSE(store->keyExists(Hive::CurrentUser, "Software\\X"));
    EXPECT_FALSE(store->keyExists(Hive::ClassesRoot, "Software"));

    ASSERT_TRUE(store->writeValue(Hive::CurrentUser, "Software\\X", text("Where", "user")));
    EXPECT_TRUE(store->deleteKeyTree(Hive::CurrentUser, "Software"));
    EXPECT_EQ(store->readValue(Hive::LocalMachine, "Software\\X", "Where"),
              text("Where", "machine"));
    EXPECT_TRUE(store->subkeys(Hive::CurrentUser, "").empty());
}

TEST_F(RegistryStoreTest, TransactBodyReturningFalseUndoesEveryKindOfWrite) {
    ASSERT_TRUE(store->writeValue(kMachine, "Dev", text("Keep", "old")));
    ASSERT_TRUE(store->writeValue(kMachine, "Dev\\Doomed\\Child", dword("N", 1)));
    const Values before = store->values(kMachine, "Dev");

    EXPECT_FALSE(store->transact([&] {
        EXPECT_TRUE(store->createKey(kMachine, "New\\Key"));
        EXPECT_TRUE(store->writeValue(kMachine, "Dev", text("Keep", "changed")));
        EXPECT_TRUE(store->writeValue(kMachine, "Dev", text("Added", "a")));
        EXPECT_TRUE(store->deleteKeyTree(kMachine, "Dev\\Doomed"));
        // The body sees its own writes.
        EXPECT_EQ(store->readValue(kMachine, "Dev", "Keep"), text("Keep", "changed"));
        EXPECT_TRUE(store->deleteValue(kMachine, "Dev", "Keep"));
        return false;
    }));

    EXPECT_FALSE(store->keyExists(kMachine, "New"));
    EXPECT_EQ(store->values(kMachine, "Dev"), before);
    EXPECT_EQ(store->readValue(kMachine, "Dev\\Doomed\\Child", "N"), dword("N", 1));
}

TEST_F(RegistryStoreTest, TransactRollsBackWhenAWriteIsRefused) {
    EXPECT_FALSE(store->transact([&] {
        EXPECT_TRUE(store->writeValue(kMachine, "Dev", text("First", "1")));
        EXPECT_FALSE(store->writeValue(kMachine, "Dev", text(std::string("Bad\0Name", 8), "2")));
        return true;
    }));
    EXPECT_FALSE(store->keyExists(kMachine, "Dev"));
}

TEST_F(RegistryStoreTest, TransactTreatsNothingToDeleteAsNoFailure) {
    EXPECT_TRUE(store->transact([&] {
        EXPECT_TRUE(store->writeValue(kMachine, "Dev", text("Kept", "1")));
        EXPECT_FALSE(store->deleteValue(kMachine, "Dev", "NeverWritten"));
        EXPECT_FALSE(store->deleteKeyTree(kMachine, "Dev\\NeverCreated"));
        return true;
    }));
    EXPECT_EQ(store->values(kMachine, "Dev"), Values{text("Kept", "1")});
}

TEST_F(RegistryStoreTest, NestedTransactsRollBackOnlyTheirOwnPart) {
    EXPECT_TRUE(store->transact([&] {
        EXPECT_TRUE(store->writeValue(kMachine, "Dev", text("Outer", "o")));
        EXPECT_FALSE(store->transact([&] {
            EXPECT_TRUE(store->writeValue(kMachine, "Dev", text("Dropped", "d")));
            return false;
        }));
        EXPECT_TRUE(store->transact(
            [&] { return store->writeValue(kMachine, "Dev", text("Inner", "i")); }));
        return true;
    }));
    EXPECT_EQ(store->values(kMachine, "Dev"), (Values{text("Outer", "o"), text("Inner", "i")}));

    EXPECT_FALSE(store->transact([&] {
        EXPECT_TRUE(store->transact([&] { return store->createKey(kMachine, "InnerOnly"); }));
        return false;
    }));
    EXPECT_FALSE(store->keyExists(kMachine, "InnerOnly"));
}

TEST_F(RegistryStoreTest, TransactRollsBackWhenTheBodyThrows) {
    EXPECT_THROW(store->transact([&]() -> bool {
        store->writeValue(kMachine, "Dev", text("Thrown", "t"));
        throw std::runtime_error("body failed");
    }),
                 std::runtime_error);
    EXPECT_FALSE(store->keyExists(kMachine, "Dev"));

    // The store is back outside any transaction: this commit is durable for another reader.
    EXPECT_TRUE(store->transact([&] { return store->createKey(kMachine, "After"); }));
    EXPECT_TRUE(openOrFail(file)->keyExists(kMachine, "After"));
}

TEST_F(RegistryStoreTest, TwoStoresOnOneFileSeeEachOthersCommits) {
    auto other = openOrFail(file);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(store->writeValue(kMachine, "Shared", text("From", "first")));
    EXPECT_EQ(other->readValue(kMachine, "shared", "from"), text("From", "first"));
    ASSERT_TRUE(other->createKey(kMachine, "Shared\\ByOther"));
    EXPECT_EQ(store->subkeys(kMachine, "Shared"), Names{"ByOther"});

    EXPECT_TRUE(store->transact([&] {
        EXPECT_TRUE(store->writeValue(kMachine, "Shared", text("Pending", "p")));
        EXPECT_EQ(other->readValue(kMachine, "Shared", "Pending"), std::nullopt);
        return true;
    }));
    EXPECT_EQ(other->readValue(kMachine, "Shared", "Pending"), text("Pending", "p"));
}

TEST_F(RegistryStoreTest, AWriterWaitsForAnotherStoresTransactionInsteadOfFailing) {
    auto other = openOrFail(file);
    ASSERT_NE(other, nullptr);
    std::future<bool> otherWrite;
    EXPECT_TRUE(store->transact([&] {
        EXPECT_TRUE(store->writeValue(kMachine, "Dev", text("First", "1")));
        otherWrite = std::async(std::launch::async, [&] {
            return other->writeValue(kMachine, "Dev", text("Second", "2"));
        });
        EXPECT_EQ(otherWrite.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        return true;
    }));
    ASSERT_TRUE(otherWrite.valid());
    EXPECT_TRUE(otherWrite.get());
    EXPECT_EQ(store->values(kMachine, "Dev"), (Values{text("First", "1"), text("Second", "2")}));
}

struct BadName {
    const char* label;
    std::string path;
    std::string valueName;
};

TEST_F(RegistryStoreTest, BadNamesAreRefusedAndWriteNothing) {
    const std::string nul("Ba\0d", 4);
    const std::vector<BadName> cases{
        {"NUL in a key name", "Good\\" + nul, "Value"},
        {"key name of 256 units", "Good\\" + std::string(256, 'k'), "Value"},
        {"key name of 128 surrogate pairs", "Good\\" + repeat("\xF0\x9F\x98\x80", 128), "Value"},
        {"513 levels", repeat("k\\", 513), "Value"},
        {"NUL in a value name", "Good", nul},
        {"value name of 16384 units", "Good", std::string(16384, 'v')},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.label);
        EXPECT_FALSE(store->writeValue(kMachine, bad.path, text(bad.valueName, "x")));
        EXPECT_EQ(store->readValue(kMachine, bad.path, bad.valueName), std::nullopt);
        EXPECT_FALSE(store->deleteValue(kMachine, bad.path, bad.valueName));
        if (bad.path != "Good") {
            EXPECT_FALSE(store->createKey(kMachine, bad.path));
            EXPECT_FALSE(store->keyExists(kMachine, bad.path));
            EXPECT_FALSE(store->deleteKeyTree(kMachine, bad.path));
            EXPECT_TRUE(store->subkeys(kMachine, bad.path).empty());
            EXPECT_TRUE(store->values(kMachine, bad.path).empty());
        }
    }
    EXPECT_TRUE(store->subkeys(kMachine, "").empty());
}

TEST_F(RegistryStoreTest, NamesAtTheLengthLimitsAreAccepted) {
    const std::vector<BadName> cases{
        {"key name of 255 units", std::string(255, 'k'), "Value"},
        {"255 two-byte characters", repeat("\xC3\xA9", 255), "Value"},
        {"127 surrogate pairs and one unit", repeat("\xF0\x9F\x98\x80", 127) + "k", "Value"},
        {"512 levels", repeat("k\\", 512), "Value"},
        {"value name of 16383 units", "Key", std::string(16383, 'v')},
    };
    for (const auto& limit : cases) {
        SCOPED_TRACE(limit.label);
        EXPECT_TRUE(store->writeValue(kMachine, limit.path, text(limit.valueName, "x")));
        EXPECT_EQ(store->readValue(kMachine, limit.path, limit.valueName),
                  text(limit.valueName, "x"));
    }
}

struct UnusableFile {
    const char* label;
    std::function<fs::path(const fs::path& folder)> make;
    const char* reason;  // part of the error text
};

TEST(OpenSqliteRegistryTest, RefusesWhatIsNotAUsableDatabase) {
    const std::string plainText = "DeviceName=Printer\nPort=COM1\n";
    const std::vector<UnusableFile> cases{
        {"text file",
         [&](const fs::path& folder) {
             writeFile(folder / "registry.db", plainText);
             return folder / "registry.db";
         },
         "not a database"},
        {"folder", [](const fs::path& folder) { return folder; }, "unable to open"},
        {"missing parent folder",
         [](const fs::path& folder) { return folder / "missing" / "registry.db"; },
         "unable to open"},
        {"empty name", [](const fs::path&) { return fs::path(); }, "no file name"},
    };
    for (const auto& unusable : cases) {
        SCOPED_TRACE(unusable.label);
        TempFolder folder;
        const fs::path file = unusable.make(folder.path());
        std::string error;
        EXPECT_EQ(openSqliteRegistry(file.string(), &error), nullptr);
        const std::string quoted = std::string("'").append(file.string()).append("'");
        EXPECT_NE(error.find(quoted), std::string::npos) << error;
        EXPECT_NE(error.find(unusable.reason), std::string::npos) << error;
        EXPECT_EQ(openSqliteRegistry(file.string(), nullptr), nullptr);
    }

    TempFolder folder;
    const fs::path textFile = folder.path() / "notes.txt";
    writeFile(textFile, plainText);
    EXPECT_EQ(openSqliteRegistry(textFile.string(), nullptr), nullptr);
    EXPECT_EQ(readFile(textFile), plainText);
}

struct ForeignSchema {
    const char* label;
    std::string userVersion;  // big-endian, at offset 60 of the file header
    const char* reason;
};

TEST(OpenSqliteRegistryTest, RefusesTablesItDoesNotKnow) {
    const std::vector<ForeignSchema> cases{
        {"newer schema", std::string("\x00\x00\x00\x02", 4), "newer program"},
        {"no registry version", std::string("\x00\x00\x00\x00", 4), "other data"},
    };
    for (const auto& foreign : cases) {
        SCOPED_TRACE(foreign.label);
        TempFolder folder;
        const fs::path file = folder.path() / "registry.db";
        ASSERT_NE(openOrFail(file), nullptr);  // closing the last connection folds the WAL in
        std::string bytes = readFile(file);
        ASSERT_GT(bytes.size(), 64u);
        bytes.replace(60, 4, foreign.userVersion);
        writeFile(file, bytes);

        std::string error;
        EXPECT_EQ(openSqliteRegistry(file.string(), &error), nullptr);
        EXPECT_NE(error.find(foreign.reason), std::string::npos) << error;
    }
}

// Saves and restores the variables that pick the system registry's file.
class SystemRegistryTest : public ::testing::Test {
  protected:
    SystemRegistryTest() {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < std::size(kVariables); ++i) {
            setVariable(kVariables[i], saved[i]);
        }
    }

    static void setVariable(const char* name, const std::optional<std::string>& value) {
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }

    static bool onlyOwnerMayEnter(const fs::path& folder) {
        return (fs::status(folder).permissions() & fs::perms::all) == fs::perms::owner_all;
    }

    static constexpr const char* kVariables[] = {"OPOS_REGISTRY", "XDG_CONFIG_HOME", "HOME"};
    std::vector<std::optional<std::string>> saved;
    TempFolder folder;
};

TEST_F(SystemRegistryTest, OposRegistryNamesTheFileAndItsFoldersAreCreated) {
    const fs::path file = folder.path() / "made" / "here" / "devices.db";
    setVariable("OPOS_REGISTRY", file.string());
    setVariable("XDG_CONFIG_HOME", (folder.path() / "xdg").string());
    EXPECT_EQ(pos::platform::defaultRegistryPath(), file.string());

    auto system = pos::platform::openSystemRegistry();
    ASSERT_NE(system, nullptr);
    ASSERT_TRUE(system->writeValue(kMachine, "Dev", text("Port", "COM3")));
    EXPECT_TRUE(onlyOwnerMayEnter(folder.path() / "made"));
    EXPECT_TRUE(onlyOwnerMayEnter(folder.path() / "made" / "here"));
    EXPECT_EQ(openOrFail(file)->readValue(kMachine, "Dev", "Port"), text("Port", "COM3"));
    EXPECT_FALSE(fs::exists(folder.path() / "xdg"));
}

TEST_F(SystemRegistryTest, XdgConfigHomeIsUsedWhenOposRegistryIsEmpty) {
    setVariable("OPOS_REGISTRY", "");
    setVariable("XDG_CONFIG_HOME", (folder.path() / "xdg").string());
    setVariable("HOME", (folder.path() / "home").string());
    const fs::path expected = folder.path() / "xdg" / "opos" / "registry.db";
    EXPECT_EQ(pos::platform::defaultRegistryPath(), expected.string());

    ASSERT_NE(pos::platform::openSystemRegistry(), nullptr);
    EXPECT_TRUE(fs::is_regular_file(expected));
    EXPECT_TRUE(onlyOwnerMayEnter(folder.path() / "xdg"));
    EXPECT_TRUE(onlyOwnerMayEnter(folder.path() / "xdg" / "opos"));
    EXPECT_FALSE(fs::exists(folder.path() / "home"));
}

TEST_F(SystemRegistryTest, HomeIsUsedWhenXdgConfigHomeIsUnsetEmptyOrRelative) {
    setVariable("OPOS_REGISTRY", std::nullopt);
    for (const std::optional<std::string>& xdg :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/config")}) {
        SCOPED_TRACE(xdg.value_or("(unset)"));
        setVariable("XDG_CONFIG_HOME", xdg);
        TempFolder home;
        setVariable("HOME", home.path().string());
        const fs::path expected = home.path() / ".config" / "opos" / "registry.db";
        EXPECT_EQ(pos::platform::defaultRegistryPath(), expected.string());
        EXPECT_NE(pos::platform::openSystemRegistry(), nullptr);
        EXPECT_TRUE(fs::is_regular_file(expected));
        EXPECT_TRUE(onlyOwnerMayEnter(home.path() / ".config"));
    }
}

TEST_F(SystemRegistryTest, AnUnusableFileGivesNoStoreAndPrintsNothing) {
    const fs::path textFile = folder.path() / "registry.db";
    writeFile(textFile, "not a database\n");
    for (const fs::path& file : {textFile, textFile / "below" / "registry.db"}) {
        SCOPED_TRACE(file.string());
        setVariable("OPOS_REGISTRY", file.string());
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(pos::platform::openSystemRegistry(), nullptr);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    }
}

}  // namespace
