// The store's side of registry_outside_driver.py, which looks at the same keys with Wine's reg
// tool. The driver runs one case at a time, in this order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

#include "platform/registry_store.h"

namespace pos::platform {
void PrintTo(const RegistryValue& value, std::ostream* out) {
    *out << "{\"" << value.name << "\", type " << static_cast<int>(value.type) << ", \""
         << value.text << "\", " << value.number << "}";
}
}  // namespace pos::platform

namespace {

using pos::platform::Hive;
using pos::platform::RegistryValue;
using pos::platform::ValueType;
using ::testing::UnorderedElementsAre;

constexpr Hive kHives[] = {Hive::CurrentUser, Hive::LocalMachine};

// For the reg tool to find: Software\PosDevicesTest\Outside in both hives.
TEST(Outside, Write) {
    auto store = pos::platform::openSystemRegistry();
    for (const Hive hive : kHives) {
        const char* key = "Software\\PosDevicesTest\\Outside";
        ASSERT_TRUE(store->writeValue(hive, key, {"", ValueType::String, "Device \xCE\xA9", 0}));
        ASSERT_TRUE(store->writeValue(hive, key, {"Model", ValueType::String, "Receipt 80", 0}));
        ASSERT_TRUE(store->writeValue(hive, key, {"Baud", ValueType::DWord, "", 19200}));
        ASSERT_TRUE(store->writeValue(hive, key,
                                      {"Path", ValueType::ExpandString, "%SystemRoot%\\pos", 0}));
        ASSERT_TRUE(store->createKey(hive, "Software\\PosDevicesTest\\Outside\\Child"));
    }
}

// What the reg tool put under Software\PosDevicesTest\FromReg.
TEST(Outside, Verify) {
    auto store = pos::platform::openSystemRegistry();
    for (const Hive hive : kHives) {
        const char* key = "Software\\PosDevicesTest\\FromReg";
        EXPECT_THAT(store->values(hive, key),
                    UnorderedElementsAre(
                        RegistryValue{"", ValueType::String, "dflt", 0},
                        RegistryValue{"Port", ValueType::String, "COM7", 0},
                        RegistryValue{"Timeout", ValueType::DWord, "", 1500},
                        RegistryValue{"Home", ValueType::ExpandString, "%USERPROFILE%\\pos", 0},
                        RegistryValue{"Note", ValueType::String,
                                      "\xCE\xA9 Gr\xC3\xB6\xC3\x9F"
                                      "e",
                                      0}));
        const auto timeout = store->readValue(hive, key, "TIMEOUT");
        ASSERT_TRUE(timeout.has_value());
        EXPECT_EQ(timeout->number, 1500u);
    }
}

TEST(Outside, Delete) {
    auto store = pos::platform::openSystemRegistry();
    for (const Hive hive : kHives) {
        EXPECT_TRUE(store->deleteKeyTree(hive, "Software\\PosDevicesTest"));
        EXPECT_FALSE(store->keyExists(hive, "Software\\PosDevicesTest"));
    }
}

}  // namespace
