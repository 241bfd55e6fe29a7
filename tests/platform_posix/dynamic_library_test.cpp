// Loading, looking up and unloading shared libraries, and naming the file that holds code.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/dynamic_library.h"

namespace pos::platform {
namespace {

const std::string kModulePath = POS_TEST_MODULE_PATH;

using TripleFunction = int (*)(int);

bool moduleStillLoaded() {
    void* handle = ::dlopen(kModulePath.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) {
        ::dlclose(handle);
    }
    return handle != nullptr;
}

TEST(DynamicLibrary, LoadsAModuleAndFindsItsSymbols) {
    std::string error;
    auto library = DynamicLibrary::open(kModulePath, &error);
    ASSERT_TRUE(library.loaded()) << error;
    auto triple = reinterpret_cast<TripleFunction>(library.symbol("pos_test_module_triple"));
    ASSERT_NE(triple, nullptr);
    EXPECT_EQ(triple(14), 42);
    EXPECT_EQ(library.symbol("pos_test_module_missing"), nullptr);
}

TEST(DynamicLibrary, LoadsASystemLibraryByName) {
    auto library = DynamicLibrary::open("libm.so.6");
    ASSERT_TRUE(library.loaded());
    EXPECT_NE(library.symbol("cos"), nullptr);
}

TEST(DynamicLibrary, MissingFileExplainsWhy) {
    std::string error;
    auto library = DynamicLibrary::open("/nonexistent/libpos_missing.so", &error);
    EXPECT_FALSE(library.loaded());
    EXPECT_NE(error.find("libpos_missing.so"), std::string::npos) << error;
    EXPECT_EQ(library.symbol("anything"), nullptr);
}

TEST(DynamicLibrary, EmptyPathIsRefusedRatherThanOpeningTheProgram) {
    std::string error;
    EXPECT_FALSE(DynamicLibrary::open("", &error).loaded());
    EXPECT_FALSE(error.empty());
}

TEST(DynamicLibrary, MovesTransferOwnershipAndTheLastOwnerUnloads) {
    ASSERT_FALSE(moduleStillLoaded());
    {
        auto first = DynamicLibrary::open(kModulePath);
        ASSERT_TRUE(first.loaded());
        DynamicLibrary second(std::move(first));
        EXPECT_FALSE(first.loaded());  // NOLINT(bugprone-use-after-move): moved-from state
        DynamicLibrary third;
        third = std::move(second);
        EXPECT_FALSE(second.loaded());  // NOLINT(bugprone-use-after-move): moved-from state
        EXPECT_NE(third.symbol("pos_test_module_triple"), nullptr);

        // Assigning over a loaded library releases it.
        third = DynamicLibrary();
        EXPECT_FALSE(moduleStillLoaded());
        third = DynamicLibrary::open(kModulePath);
        EXPECT_TRUE(moduleStillLoaded());
    }
    EXPECT_FALSE(moduleStillLoaded());
}

TEST(ModulePath, NamesTheFileThatHoldsTheCode) {
    auto library = DynamicLibrary::open(kModulePath);
    ASSERT_TRUE(library.loaded());
    EXPECT_EQ(modulePathOf(library.symbol("pos_test_module_triple")),
              std::filesystem::canonical(kModulePath).string());
}

TEST(ModulePath, NamesTheRunningProgramForItsOwnCode) {
    static const int inThisProgram = 0;
    EXPECT_EQ(modulePathOf(&inThisProgram), std::filesystem::canonical("/proc/self/exe").string());
}

TEST(ModulePath, IsEmptyForAnAddressOutsideAnyModule) {
    EXPECT_EQ(modulePathOf(nullptr), "");
    int onTheStack = 0;
    EXPECT_EQ(modulePathOf(&onTheStack), "");
}

}  // namespace
}  // namespace pos::platform
