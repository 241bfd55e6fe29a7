#include "reg_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sqlite_registry.h"
#include "temp_folder.h"

namespace {

using namespace std::string_literals;
using pos::platform::Hive;
using pos::platform::RegistryStore;
using pos::platform::RegistryValue;
using pos::platform::ValueType;
using pos::tools::applyRegOperations;
using pos::tools::exportRegText;
using pos::tools::parseRegText;
using pos::tools::RegOperation;
using Kind = RegOperation::Kind;

constexpr Hive kMachine = Hive::LocalMachine;
constexpr const char* kPrinterClass = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter";
constexpr const char* kPrinterDevice = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO";

RegistryValue text(std::string name, std::string data, ValueType type = ValueType::String) {
    return RegistryValue{std::move(name), type, std::move(data), 0};
}

RegistryValue dword(std::string name, std::uint32_t number) {
    return RegistryValue{std::move(name), ValueType::DWord, "", number};
}

// ASCII as UTF-16LE.
std::string widen(std::string_view ascii) {
    std::string out;
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// Every key below path, depth first, with its values: what a round trip must keep.
struct KeyDump {
    std::string path;
    std::vector<RegistryValue> values;
    friend bool operator==(const KeyDump&, const KeyDump&) = default;
};

void dumpTree(RegistryStore& store, Hive hive, const std::string& path, std::vector<KeyDump>& out) {
    out.push_back({path, store.values(hive, path)});
    for (const std::string& child : store.subkeys(hive, path)) {
        dumpTree(store, hive, path.empty() ? child : path + "\\" + child, out);
    }
}

std::vector<KeyDump> dumpTree(RegistryStore& store, Hive hive, const std::string& path) {
    std::vector<KeyDump> out;
    dumpTree(store, hive, path, out);
    return out;
}

class RegTextTest : public ::testing::Test {
  protected:
    std::unique_ptr<RegistryStore> openStore(const std::string& name) {
        std::string error;
        auto opened = pos::platform::openSqliteRegistry(folder.file(name), &error);
        EXPECT_NE(opened, nullptr) << error;
        return opened;
    }

    // What pos-reg import does.
    bool import(RegistryStore& into, const std::string& file, std::string* error = nullptr) {
        std::vector<RegOperation> ops;
        return parseRegText(file, ops, error) && applyRegOperations(into, ops, error);
    }

    pos::test::TempFolder folder;
    std::unique_ptr<RegistryStore> store = openStore("registry.db");
};

TEST_F(RegTextTest, ReadsAPrinterEntryAsRegeditWritesIt) {
    const std::string file =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; Receipt printer on the first serial port\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter]\r\n"
        "@=\"KVXSO\"\r\n"
        "\"KVXReceipt\"=\"KVXSO\"\r\n"
        "\r\n"
        "[HKLM\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO]\r\n"
        "@=\"KVXSO.Service\"\r\n"
        "\"DeviceType\"=\"COM\"\r\n"
        "\"PaperWidth\"=\" 3\\\" / 80mm\"\r\n"
        "  \"Option\" = dword:00000010\r\n"
        "\"Baud\"=DWORD:2580\r\n"
        "\"TracePath\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,\\\r\n"
        "  6B,00,76,00,78,00,00,00\r\n";
    std::vector<RegOperation> ops;
    std::string error;
    ASSERT_TRUE(parseRegText(file, ops, &error)) << error;

    const std::vector<RegOperation> expected{
        {Kind::CreateKey, kMachine, kPrinterClass, {}, 4},
        {Kind::SetValue, kMachine, kPrinterClass, text("", "KVXSO"), 5},
        {Kind::SetValue, kMachine, kPrinterClass, text("KVXReceipt", "KVXSO"), 6},
        {Kind::CreateKey, kMachine, kPrinterDevice, {}, 8},
        {Kind::SetValue, kMachine, kPrinterDevice, text("", "KVXSO.Service"), 9},
        {Kind::SetValue, kMachine, kPrinterDevice, text("DeviceType", "COM"), 10},
        {Kind::SetValue, kMachine, kPrinterDevice, text("PaperWidth", " 3\" / 80mm"), 11},
        {Kind::SetValue, kMachine, kPrinterDevice, dword("Option", 16), 12},
        {Kind::SetValue, kMachine, kPrinterDevice, dword("Baud", 9600), 13},
        {Kind::SetValue, kMachine, kPrinterDevice,
         text("TracePath", "%TEMP%\\kvx", ValueType::ExpandString), 14},
    };
    EXPECT_EQ(ops, expected);

    ASSERT_TRUE(applyRegOperations(*store, ops, &error)) << error;
    EXPECT_EQ(store->readValue(kMachine, kPrinterClass, "kvxreceipt"), text("KVXReceipt", "KVXSO"));
    EXPECT_EQ(store->values(kMachine, kPrinterDevice),
              (std::vector<RegistryValue>{
                  text("", "KVXSO.Service"), text("DeviceType", "COM"),
                  text("PaperWidth", " 3\" / 80mm"), dword("Option", 16), dword("Baud", 9600),
                  text("TracePath", "%TEMP%\\kvx", ValueType::ExpandString)}));
}

TEST_F(RegTextTest, DeletesKeysAndValuesAndIgnoresOnesAlreadyGone) {
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterClass, text("", "KVXSO")));
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterClass, text("KVXReceipt", "KVXSO")));
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterClass, text("Other", "x")));
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterDevice, dword("Option", 16)));
    ASSERT_TRUE(store->createKey(kMachine, std::string(kPrinterDevice) + "\\Sub"));

    const std::string file =
        "Windows Registry Editor Version 5.00\n"
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO]\n"
        "[-HKLM\\SOFTWARE\\Nowhere]\n"
        "[HKLM\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter]\n"
        "\"KVXReceipt\"=-\n"
        "@=-\n"
        "\"NeverThere\"=-\n";
    std::vector<RegOperation> ops;
    std::string error;
    ASSERT_TRUE(parseRegText(file, ops, &error)) << error;
    EXPECT_EQ(ops, (std::vector<RegOperation>{
                       {Kind::DeleteKey, kMachine, kPrinterDevice, {}, 2},
                       {Kind::DeleteKey, kMachine, "SOFTWARE\\Nowhere", {}, 3},
                       {Kind::CreateKey, kMachine, kPrinterClass, {}, 4},
                       {Kind::DeleteValue, kMachine, kPrinterClass, text("KVXReceipt", ""), 5},
                       {Kind::DeleteValue, kMachine, kPrinterClass, text("", ""), 6},
                       {Kind::DeleteValue, kMachine, kPrinterClass, text("NeverThere", ""), 7},
                   }));

    ASSERT_TRUE(applyRegOperations(*store, ops, &error)) << error;
    EXPECT_FALSE(store->keyExists(kMachine, kPrinterDevice));
    EXPECT_EQ(store->values(kMachine, kPrinterClass), std::vector{text("Other", "x")});
    EXPECT_TRUE(store->subkeys(kMachine, kPrinterClass).empty());
}

TEST_F(RegTextTest, ReadsTheSameFileInEachEncodingRegeditSaves) {
    const std::vector<RegOperation> expected{
        {Kind::CreateKey, Hive::CurrentUser, "Software\\Kvx", {}, 3},
        {Kind::SetValue, Hive::CurrentUser, "Software\\Kvx",
         text("Name", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"), 4},
        {Kind::SetValue, Hive::CurrentUser, "Software\\Kvx",
         text("Path", "\xE2\x82\xAC\xF0\x9F\x98\x80", ValueType::ExpandString), 5},
    };
    const std::string utf8 =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Kvx]\r\n"
        "\"Name\"=\"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"\r\n"
        "\"Path\"=hex(2):ac,20,3d,d8,00,de,00,00\r\n";
    const std::string utf16 = "\xFF\xFE"s +
                              widen(
                                  "Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Kvx]\r\n"
                                  "\"Name\"=\"Caf") +
                              "\xE9\x00 \x00\xAC\x20 \x00\x3D\xD8\x00\xDE"s +
                              widen("\"\r\n\"Path\"=hex(2):ac,20,3d,d8,00,de,00,00\r\n");
    // Old-style files carry hex text as 8-bit bytes, here UTF-8, with a single NUL at the end.
    const std::string regedit4 =
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\Kvx]\n"
        "\"Name\"=\"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"\n"
        "\"Path\"=hex(2):e2,82,ac,f0,9f,98,80,00\n";

    for (const std::string& file : {utf8, "\xEF\xBB\xBF" + utf8, utf16, regedit4}) {
        SCOPED_TRACE(file);
        std::vector<RegOperation> ops;
        std::string error;
        ASSERT_TRUE(parseRegText(file, ops, &error)) << error;
        EXPECT_EQ(ops, expected);
    }
}

struct Malformed {
    const char* what;
    std::string file;
    int line;
    const char* message;
};

TEST_F(RegTextTest, RefusesMalformedFilesNamingTheLineAndChangesNothing) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = "[HKLM\\SOFTWARE\\Kvx]\n";
    const std::vector<Malformed> cases{
        {"empty file", "", 1, "the first line must be"},
        {"other header", "Windows Registry Editor Version 4.00\n" + key, 1,
         "the first line must be"},
        {"header not first", "\n" + header + key, 1, "the first line must be"},
        {"value before a key", header + "\"a\"=\"b\"\n" + key, 2, "value before any [key]"},
        {"unknown hive", header + key + "[HKEY_USERS\\S-1-5-18]\n", 3, "unknown hive 'HKEY_USERS'"},
        {"no ']'", header + "[HKLM\\SOFTWARE\\Kvx\n", 2, "missing ']'"},
        {"empty key name", header + "[HKLM\\SOFTWARE\\\\Kvx]\n", 2, "empty key name"},
        {"trailing backslash", header + "[HKLM\\SOFTWARE\\]\n", 2, "empty key name"},
        {"key name too long", header + "[HKLM\\" + std::string(256, 'k') + "]\n", 2,
         "longer than 255"},
        {"hive root deleted", header + "[-HKLM]\n", 2, "hive root cannot be deleted"},
        {"value under deleted key", header + "[-HKLM\\SOFTWARE\\Kvx]\n\"a\"=\"b\"\n", 3,
         "key that is being deleted"},
        {"unterminated string", header + key + "\"a\"=\"abc\n\"b\"=\"c\"\n", 3,
         "unterminated string"},
        {"string ends in backslash", header + key + "\"a\"=\"abc\\\"\n", 3, "unterminated string"},
        {"unterminated name", header + key + "\"abc=\"x\n", 3, "expected '='"},
        {"unknown escape", header + key + "\"Path\"=\"C:\\temp\"\n", 3, "unknown escape '\\t'"},
        {"text after string", header + key + "\"a\"=\"b\" c\n", 3, "after the closing quote"},
        {"no '='", header + key + "\"a\" \"b\"\n", 3, "expected '='"},
        {"nothing after '='", header + key + "\"a\"=\n", 3, "expected a \"string\""},
        {"stray text", header + key + "Option=16\n", 3, "expected [key]"},
        {"value name too long", header + key + "\"" + std::string(16384, 'n') + "\"=\"x\"\n", 3,
         "longer than 16383"},
        {"dword not hex", header + key + "\"a\"=dword:1g\n", 3, "bad dword '1g'"},
        {"dword too long", header + key + "\"a\"=dword:100000000\n", 3, "bad dword"},
        {"dword empty", header + key + "\"a\"=dword:\n", 3, "bad dword"},
        {"dword negative", header + key + "\"a\"=dword:-1\n", 3, "bad dword"},
        {"binary type", header + key + "\"a\"=hex:01,02\n", 3, "unsupported value type hex"},
        {"multi-string type", header + key + "\"a\"=hex(7):41,00,00,00\n", 3,
         "unsupported value type hex(7)"},
        {"bad hex type", header + key + "\"a\"=hex(z):00\n", 3, "bad hex type"},
        {"no ':' after hex", header + key + "\"a\"=hex(2)41,00\n", 3, "expected ':'"},
        {"bad hex byte", header + key + "\"a\"=hex(2):4g,00\n", 3, "bad hex byte '4g'"},
        {"three-digit byte", header + key + "\"a\"=hex(2):410,00\n", 3, "bad hex byte '410'"},
        {"missing byte", header + key + "\"a\"=hex(2):41,,00\n", 3, "missing byte"},
        {"trailing comma", header + key + "\"a\"=hex(2):41,00,\n", 3, "missing byte"},
        {"bad byte on a continuation line", header + key + "\"a\"=hex(2):41,00,\\\n  4x,00\n", 4,
         "bad hex byte '4x'"},
        {"byte split over lines", header + key + "\"a\"=hex(2):41,0\\\n  0,00,00\n", 4,
         "bad hex byte '0 0'"},
        {"continuation past the end", header + key + "\"a\"=hex(2):41,00,\\\n", 3,
         "past the end of the file"},
        {"odd UTF-16 bytes", header + key + "\"a\"=hex(2):41,00,42\n", 3, "odd number of bytes"},
        {"lone surrogate", header + key + "\"a\"=hex(2):00,d8,41,00,00,00\n", 3,
         "not valid UTF-16LE"},
        {"NUL inside hex text", header + key + "\"a\"=hex(2):41,00,00,00,42,00,00,00\n", 3,
         "holds a NUL"},
        {"hex(4) of 3 bytes", header + key + "\"a\"=hex(4):01,02,03\n", 3, "exactly 4 bytes"},
        {"NUL in the file", header + key + "\"a\"=\"x\0y\"\n"s, 3, "NUL character"},
        {"bad UTF-8", header + "[HKLM\\SOFTWARE\\K\xC3\x28]\n", 2, "not valid UTF-8"},
        {"overlong UTF-8", header + key + "\"a\"=\"\xC0\xAF\"\n", 3, "not valid UTF-8"},
        {"UTF-16 odd length", "\xFF\xFE"s + widen(header + key) + "\x41", 3, "not valid UTF-16LE"},
        {"UTF-16 lone surrogate", "\xFF\xFE"s + widen(header + key) + "\x00\xDC"s + widen("\n"), 3,
         "not valid UTF-16LE"},
        {"UTF-16 big-endian", "\xFE\xFF\x00W"s, 1, "big-endian"},
    };

    // Everything a bad file might touch exists beforehand.
    ASSERT_TRUE(store->writeValue(kMachine, "SOFTWARE\\Kvx", text("a", "before")));
    const std::vector<KeyDump> before = dumpTree(*store, kMachine, "");

    for (const Malformed& bad : cases) {
        SCOPED_TRACE(bad.what);
        std::vector<RegOperation> ops{{Kind::CreateKey, kMachine, "Untouched", {}, 1}};
        const std::vector<RegOperation> opsBefore = ops;
        std::string error;
        EXPECT_FALSE(parseRegText(bad.file, ops, &error));
        EXPECT_EQ(ops, opsBefore);
        const std::string prefix = "line " + std::to_string(bad.line) + ": ";
        EXPECT_EQ(error.substr(0, prefix.size()), prefix) << error;
        EXPECT_NE(error.find(bad.message), std::string::npos) << error;

        EXPECT_FALSE(import(*store, bad.file));
        EXPECT_EQ(dumpTree(*store, kMachine, ""), before);
    }
}

TEST_F(RegTextTest, AppliesAllOperationsOrNone) {
    ASSERT_TRUE(store->writeValue(kMachine, "SOFTWARE\\Kvx", text("Kept", "yes")));
    const std::vector<RegOperation> ops{
        {Kind::DeleteKey, kMachine, "SOFTWARE\\Kvx", {}, 1},
        {Kind::SetValue, kMachine, "SOFTWARE\\New", dword("Option", 1), 2},
        // The store refuses a NUL in a value name, so the unit must roll back here.
        {Kind::SetValue, kMachine, "SOFTWARE\\New", text("bad\0name"s, "x"), 3},
    };
    std::string error;
    EXPECT_FALSE(applyRegOperations(*store, ops, &error));
    EXPECT_EQ(error,
              "line 3: cannot write value 'bad\0name' under HKEY_LOCAL_MACHINE\\SOFTWARE\\New"s);
    EXPECT_EQ(store->values(kMachine, "SOFTWARE\\Kvx"), std::vector{text("Kept", "yes")});
    EXPECT_FALSE(store->keyExists(kMachine, "SOFTWARE\\New"));
}

TEST_F(RegTextTest, ExportsInRegeditForm) {
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterDevice, text("", "KVXSO.Service")));
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterDevice, text("PaperWidth", " 3\" / 80mm")));
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterDevice, text("Dir", "C:\\KVX\\")));
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterDevice, dword("Option", 16)));
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterDevice, dword("All", 0xFFFFFFFF)));
    ASSERT_TRUE(store->writeValue(
        kMachine, kPrinterDevice,
        text("TracePath", "%SystemRoot%\\Temp\\kvx-trace", ValueType::ExpandString)));
    ASSERT_TRUE(store->writeValue(kMachine, kPrinterDevice, text("Lines", "a\r\nb")));
    ASSERT_TRUE(store->createKey(kMachine, std::string(kPrinterDevice) + "\\Empty"));
    ASSERT_TRUE(store->writeValue(kMachine, std::string(kPrinterDevice) + "\\Sub", dword("x", 0)));

    std::string error;
    // Stray backslashes in the path are tidied away.
    const auto exported =
        exportRegText(*store, kMachine, std::string(kPrinterDevice) + "\\", &error);
    ASSERT_TRUE(exported) << error;
    EXPECT_EQ(
        *exported,
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO]\n"
        "@=\"KVXSO.Service\"\n"
        "\"PaperWidth\"=\" 3\\\" / 80mm\"\n"
        "\"Dir\"=\"C:\\\\KVX\\\\\"\n"
        "\"Option\"=dword:00000010\n"
        "\"All\"=dword:ffffffff\n"
        "\"TracePath\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,\\\n"
        "  74,00,25,00,5c,00,54,00,65,00,6d,00,70,00,5c,00,6b,00,76,00,78,00,2d,00,74,\\\n"
        "  00,72,00,61,00,63,00,65,00,00,00\n"
        "\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO\\Empty]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO\\Sub]\n"
        "\"x\"=dword:00000000\n"
        "\n");
}

TEST_F(RegTextTest, ExportThenImportRebuildsTheSameTree) {
    const std::string base = "SOFTWARE\\OLEforRetail";
    const std::vector<std::pair<std::string, RegistryValue>> entries{
        {base, text("", "")},
        {base + "\\ServiceOPOS\\POSPrinter", text("", "KVXSO")},
        {base + "\\ServiceOPOS\\POSPrinter", text("KVXReceipt", "KVXSO")},
        {base + "\\ServiceOPOS\\POSPrinter\\KVXSO", text("q\"uo\\te", "\\\"both\"\\")},
        {base + "\\ServiceOPOS\\POSPrinter\\KVXSO", text("spaces", "  padded  ")},
        {base + "\\ServiceOPOS\\POSPrinter\\KVXSO", text("Lines", "one\ntwo\r\n")},
        {base + "\\ServiceOPOS\\POSPrinter\\KVXSO", text("Semi", "; not a comment")},
        {base + "\\ServiceOPOS\\POSPrinter\\KVXSO", text("Expand", "", ValueType::ExpandString)},
        {base + "\\ServiceOPOS\\POSPrinter\\KVXSO",
         text("Long", std::string(300, 'x') + "\xE2\x82\xAC\xF0\x9F\x98\x80",
              ValueType::ExpandString)},
        {base + "\\ServiceOPOS\\POSPrinter\\KVXSO", dword("Zero", 0)},
        {base + "\\ServiceOPOS\\POSPrinter\\KVXSO", dword("Max", 0xFFFFFFFF)},
        {base + "\\ServiceOPOS\\POSPrinter\\KVXSO", text("Caf\xC3\xA9", "\xC3\xA9t\xC3\xA9")},
        {base + "\\ServiceOPOS\\LineDisplay\\Odd]Name \\ trailing ", dword("x", 1)},
        {base + "\\ServiceOPOS\\LineDisplay\\-Dash", text("=", "=")},
    };
    for (const auto& [path, value] : entries) {
        ASSERT_TRUE(store->writeValue(kMachine, path, value)) << path << " " << value.name;
    }
    ASSERT_TRUE(store->createKey(kMachine, base + "\\Empty\\Deeper"));
    ASSERT_TRUE(store->writeValue(kMachine, "SOFTWARE\\Elsewhere", dword("outside", 1)));

    std::string error;
    const auto exported = exportRegText(*store, kMachine, base, &error);
    ASSERT_TRUE(exported) << error;
    auto fresh = openStore("fresh.db");
    ASSERT_TRUE(import(*fresh, *exported, &error)) << error;

    // The subtree and nothing else: only the parents the key needs.
    std::vector<KeyDump> expected{{"", {}}, {"SOFTWARE", {}}};
    for (KeyDump& key : dumpTree(*store, kMachine, base)) {
        expected.push_back(std::move(key));
    }
    EXPECT_EQ(dumpTree(*fresh, kMachine, ""), expected);
    EXPECT_EQ(exportRegText(*fresh, kMachine, base), exported);
}

TEST_F(RegTextTest, ExportRefusesWhatAFileCannotCarry) {
    std::string error;
    EXPECT_FALSE(exportRegText(*store, kMachine, "SOFTWARE\\Missing", &error));
    EXPECT_EQ(error, "key HKEY_LOCAL_MACHINE\\SOFTWARE\\Missing does not exist");

    ASSERT_TRUE(store->writeValue(kMachine, "SOFTWARE\\Kvx", text("two\nlines", "x")));
    EXPECT_FALSE(exportRegText(*store, kMachine, "SOFTWARE", &error));
    EXPECT_NE(error.find("line break"), std::string::npos) << error;

    ASSERT_TRUE(store->deleteKeyTree(kMachine, "SOFTWARE\\Kvx"));
    ASSERT_TRUE(store->writeValue(kMachine, "SOFTWARE\\Kvx", text("bad", "\xFF")));
    EXPECT_FALSE(exportRegText(*store, kMachine, "SOFTWARE", &error));
    EXPECT_NE(error.find("not valid UTF-8"), std::string::npos) << error;
}

}  // namespace
