// Loading libraries by UTF-8 path, finding symbols, unloading, and naming modules.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/dynamic_library.h"

namespace {

using pos::platform::DynamicLibrary;
using pos::platform::modulePathOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kProbeName = PROBE_LIBRARY_NAME;  // built next to this program

int localFunction() {
    return 1;
}

std::string directoryOf(const std::string& path) {
    return path.substr(0, path.rfind('\\'));
}

std::wstring widen(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    return wide;
}

bool probeLoaded() {
    return GetModuleHandleA(kProbeName) != nullptr;
}

std::string probePath() {
    return directoryOf(modulePathOf(reinterpret_cast<const void*>(&localFunction))) + "\\" +
           kProbeName;
}

using ProbeFunction = int (*)();

TEST(DynamicLibraryTest, LoadsFindsSymbolsAndUnloads) {
    ASSERT_FALSE(probeLoaded());
    {
        std::string error;
        DynamicLibrary library = DynamicLibrary::open(probePath(), &error);
        ASSERT_TRUE(library.loaded()) << error;
        EXPECT_TRUE(probeLoaded());
        void* answer = library.symbol("probeAnswer");
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(reinterpret_cast<ProbeFunction>(answer)(), 42);
        EXPECT_EQ(library.symbol("noSuchSymbol"), nullptr);
        EXPECT_EQ(library.symbol(""), nullptr);
        EXPECT_EQ(modulePathOf(answer), probePath());
    }
    EXPECT_FALSE(probeLoaded());
}

TEST(DynamicLibraryTest, PathsOutsideTheAnsiCodePageLoad) {
    // "lib Ω漢" beside this program.
    const std::string directory = directoryOf(probePath()) + "\\lib \xCE\xA9\xE6\xBC\xA2";
    const std::string copy = directory + "\\" + kProbeName;
    CreateDirectoryW(widen(directory).c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(widen(probePath()).c_str(), widen(copy).c_str(), FALSE));
    {
        std::string error;
        DynamicLibrary library = DynamicLibrary::open(copy, &error);
        ASSERT_TRUE(library.loaded()) << error;
        EXPECT_EQ(modulePathOf(library.symbol("probeAnswer")), copy);
    }
    EXPECT_TRUE(DeleteFileW(widen(copy).c_str()));
    EXPECT_TRUE(RemoveDirectoryW(widen(directory).c_str()));
}

TEST(DynamicLibraryTest, FailuresSayWhatWasAsked) {
    struct Case {
        std::string path;
        const char* mention;
    };
    const Case cases[] = {
        {"C:\\no\\such\\missing.dll", "missing.dll"},
        {"", "not a valid path"},
        {"\xC3\x28.dll", "not a valid path"},
        {std::string("a\0b.dll", 7), "not a valid path"},
    };
    for (const Case& c : cases) {
        std::string error;
        DynamicLibrary library = DynamicLibrary::open(c.path, &error);
        EXPECT_FALSE(library.loaded()) << c.path;
        EXPECT_THAT(error, HasSubstr(c.mention)) << c.path;
        EXPECT_EQ(library.symbol("probeAnswer"), nullptr);
    }
    EXPECT_FALSE(DynamicLibrary::open("C:\\no\\such\\missing.dll").loaded());  // no error wanted
}

TEST(DynamicLibraryTest, MovesHandOverTheLibrary) {
    DynamicLibrary first = DynamicLibrary::open(probePath());
    ASSERT_TRUE(first.loaded());
    DynamicLibrary second(std::move(first));
    EXPECT_FALSE(first.loaded());  // NOLINT(bugprone-use-after-move): moved-from state is defined
    EXPECT_NE(second.symbol("probeAnswer"), nullptr);
    EXPECT_TRUE(probeLoaded());

    // Assigning over a loaded library unloads it.
    second = DynamicLibrary::open("kernel32.dll");
    EXPECT_FALSE(probeLoaded());
    EXPECT_NE(second.symbol("GetTickCount"), nullptr);
}

TEST(DynamicLibraryTest, ModulePathNamesTheProgramOrSystemLibrary) {
    EXPECT_THAT(modulePathOf(reinterpret_cast<const void*>(&localFunction)),
                EndsWith("wine_dynamic_library.exe"));
    std::string kernel = modulePathOf(GetModuleHandleW(L"kernel32.dll"));
    for (char& c : kernel) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_THAT(kernel, EndsWith("\\kernel32.dll"));
    EXPECT_THAT(modulePathOf(nullptr), IsEmpty());
}

}  // namespace
