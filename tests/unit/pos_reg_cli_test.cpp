// pos-reg itself, run through the shell the way installers and service engineers run it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sqlite_registry.h"
#include "temp_folder.h"

namespace {

using pos::test::readFile;
using pos::test::writeFile;

constexpr const char* kDevice = "HKLM\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO";
constexpr const char* kClass =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter";
constexpr const char* kDone = "The operation completed successfully.\n";

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string shellQuoted(std::string_view arg) {
    std::string quoted = "'";
    for (const char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

class PosRegCliTest : public ::testing::Test {
  protected:
    // environment: "NAME=value " words put before the program.
    Result run(const std::vector<std::string>& args, const std::string& input = {},
               const std::string& environment = {}) {
        writeFile(folder.file("stdin"), input);
        std::string command = environment + shellQuoted(POS_REG_PROGRAM);
        for (const std::string& arg : args) {
            command += " " + shellQuoted(arg);
        }
        command += " <" + shellQuoted(folder.file("stdin")) + " >" +
                   shellQuoted(folder.file("stdout")) + " 2>" + shellQuoted(folder.file("stderr")) +
                   "; echo $? >" + shellQuoted(folder.file("status"));
        Result result;
        if (std::system(command.c_str()) != 0) {
            ADD_FAILURE() << "the shell did not run: " << command;
            return result;
        }
        result.exitCode = std::stoi(readFile(folder.file("status")));
        result.out = readFile(folder.file("stdout"));
        result.err = readFile(folder.file("stderr"));
        return result;
    }

    // With --store naming the test's database.
    Result reg(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), {"--store", database});
        return run(args, input);
    }

    void expectDone(const std::vector<std::string>& args) {
        const Result result = reg(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, kDone);
        EXPECT_EQ(result.err, "");
    }

    pos::test::TempFolder folder;
    std::string database = folder.file("registry.db");
};

TEST_F(PosRegCliTest, AddsQueriesExportsDeletesAndImports) {
    expectDone({"add", kDevice, "/ve", "/d", "KVXSO.Service"});
    expectDone({"add", kDevice, "/v", "PaperWidth", "/d", " 3\" / 80mm", "/f"});
    expectDone({"add", kDevice, "-v", "Option", "/T", "REG_DWORD", "/d", "0x10"});
    expectDone({"add", kDevice, "/v", "Baud", "/t", "reg_dword", "/d", "9600"});
    expectDone({"add", kDevice, "/v", "TracePath", "/t", "REG_EXPAND_SZ", "/d", "%TEMP%\\kvx"});
    expectDone({"add", kClass, "/v", "KVXReceipt", "/d", "KVXSO"});
    expectDone({"add", std::string(kDevice) + "\\Empty"});

    Result result = reg({"query", "hklm\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\n"
              "    KVXReceipt    REG_SZ    KVXSO\n"
              "\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO\n");

    result = reg({"query", kDevice, "/s"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO\n"
              "    (Default)    REG_SZ    KVXSO.Service\n"
              "    PaperWidth    REG_SZ     3\" / 80mm\n"
              "    Option    REG_DWORD    0x10\n"
              "    Baud    REG_DWORD    0x2580\n"
              "    TracePath    REG_EXPAND_SZ    %TEMP%\\kvx\n"
              "\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO\\Empty\n"
              "\n");

    result = reg({"query", kDevice, "/v", "option"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO\n"
              "    Option    REG_DWORD    0x10\n"
              "\n");

    const std::string file = folder.file("printer.reg");
    expectDone({"export", kClass, file, "/y"});
    const std::string exported =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter]\n"
        "\"KVXReceipt\"=\"KVXSO\"\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO]\n"
        "@=\"KVXSO.Service\"\n"
        "\"PaperWidth\"=\" 3\\\" / 80mm\"\n"
        "\"Option\"=dword:00000010\n"
        "\"Baud\"=dword:00002580\n"
        "\"TracePath\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,6b,00,76,00,78,00,\\\n"
        "  00,00\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO\\Empty]\n"
        "\n";
    EXPECT_EQ(readFile(file), exported);
    result = reg({"export", kClass});
    EXPECT_EQ(result.out, exported);

    expectDone({"delete", kDevice, "/v", "PaperWidth", "/f"});
    result = reg({"query", kDevice, "/v", "PaperWidth"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "pos-reg: value 'PaperWidth' does not exist under "
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO\n");

    expectDone({"delete", kClass});
    result = reg({"query", kDevice});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");

    result = reg({"import", "-"}, readFile(file));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(reg({"export", kClass}).out, exported);
}

struct Failing {
    std::vector<std::string> args;
    int exitCode;
    std::string message;  // the first line on stderr
};

TEST_F(PosRegCliTest, FailsWithAReasonAndAStatusAndChangesNothing) {
    expectDone({"add", kDevice, "/v", "Option", "/t", "REG_DWORD", "/d", "16"});
    writeFile(folder.file("bad.reg"),
              "Windows Registry Editor Version 5.00\r\n"
              "[-HKLM\\SOFTWARE\\OLEforRetail]\r\n"
              "[HKLM\\SOFTWARE\\Kvx]\r\n"
              "\"Option\"=dword:1g\r\n");
    const std::vector<Failing> cases{
        {{"import", folder.file("bad.reg")},
         1,
         "pos-reg: " + folder.file("bad.reg") +
             ": line 4: bad dword '1g' (expected 1 to 8 hex digits); nothing was changed"},
        {{"import", folder.file("missing.reg")},
         1,
         "pos-reg: cannot open " + folder.file("missing.reg") + ": No such file or directory"},
        {{"query", "HKLM\\SOFTWARE\\Nowhere"},
         1,
         "pos-reg: key HKEY_LOCAL_MACHINE\\SOFTWARE\\Nowhere does not exist"},
        {{"delete", "HKLM\\SOFTWARE\\Nowhere"},
         1,
         "pos-reg: key HKEY_LOCAL_MACHINE\\SOFTWARE\\Nowhere does not exist"},
        {{"delete", "HKLM"}, 1, "pos-reg: a hive root cannot be deleted"},
        {{"export", "HKLM\\SOFTWARE\\Nowhere"},
         1,
         "pos-reg: key HKEY_LOCAL_MACHINE\\SOFTWARE\\Nowhere does not exist"},
        {{"add", kDevice, "/v", "Option", "/t", "REG_DWORD", "/d", "4294967296"},
         1,
         "pos-reg: bad REG_DWORD data '4294967296' (expected 0 to 4294967295, decimal or 0x hex)"},
        {{"add", kDevice, "/v", "Option", "/t", "REG_DWORD", "/d", "-1"},
         1,
         "pos-reg: bad REG_DWORD data '-1' (expected 0 to 4294967295, decimal or 0x hex)"},
        {{"add", kDevice, "/v", "Option", "/t", "REG_BINARY", "/d", "00"},
         2,
         "pos-reg: unsupported type 'REG_BINARY' (REG_SZ, REG_EXPAND_SZ, REG_DWORD)"},
        {{"add", "HKU\\.DEFAULT\\Kvx"},
         2,
         "pos-reg: unknown hive 'HKU' (expected HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT or "
         "HKEY_CURRENT_USER)"},
        {{"add", kDevice, "/v"}, 2, "pos-reg: /v needs an argument"},
        {{"add", kDevice, "/v", "a", "/ve"}, 2, "pos-reg: /v and /ve given together"},
        {{"query", kDevice, "/reg:64"},
         2,
         "pos-reg: there is only the 32-bit registry view here; use /reg:32 or nothing"},
        {{"query"}, 2, "pos-reg: query: missing KEY"},
        {{"query", kDevice, "extra"}, 2, "pos-reg: query: unexpected argument 'extra'"},
        {{"copy", kDevice}, 2, "pos-reg: unknown command 'copy'"},
        {{}, 2, "pos-reg: no command given"},
    };
    for (const Failing& bad : cases) {
        SCOPED_TRACE(bad.message);
        const Result result = reg(bad.args);
        EXPECT_EQ(result.exitCode, bad.exitCode);
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), bad.message);
        EXPECT_EQ(result.out, "");
    }
    const Result after = reg({"query", kDevice});
    EXPECT_EQ(after.out,
              "\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO\n"
              "    Option    REG_DWORD    0x10\n"
              "\n");
    EXPECT_EQ(reg({"query", "HKLM\\SOFTWARE\\Kvx"}).exitCode, 1);
}

TEST_F(PosRegCliTest, WithoutStoreOptionUsesTheDatabaseTheDevicesRead) {
    const std::string chosen = folder.file("chosen.db");
    const Result result = run({"add", "HKCU\\Software\\Kvx", "/v", "Port", "/d", "COM3"}, {},
                              "OPOS_REGISTRY=" + shellQuoted(chosen) + " ");
    ASSERT_EQ(result.exitCode, 0) << result.err;

    std::string error;
    const auto store = pos::platform::openSqliteRegistry(chosen, &error);
    ASSERT_NE(store, nullptr) << error;
    const auto port = store->readValue(pos::platform::Hive::CurrentUser, "Software\\Kvx", "Port");
    ASSERT_TRUE(port);
    EXPECT_EQ(port->text, "COM3");
}

}  // namespace
