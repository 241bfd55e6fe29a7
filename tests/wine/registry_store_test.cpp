// The system registry store against Wine's registry, in both hives the components write to.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>

#include "platform/registry_store.h"

namespace pos::platform {
void PrintTo(const RegistryValue& value, std::ostream* out) {
    static const char* const kTypes[] = {"String", "ExpandString", "DWord"};
    *out << "{\"" << value.name << "\", " << kTypes[static_cast<int>(value.type) % 3] << ", ";
    if (value.type == ValueType::DWord) {
        *out << value.number << "}";
    } else {
        *out << "\"" << value.text << "\"}";
    }
}
}  // namespace pos::platform

namespace {

using pos::platform::Hive;
using pos::platform::RegistryStore;
using pos::platform::RegistryValue;
using pos::platform::ValueType;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// Where each hive's cases work, and a key every fresh prefix has there.
struct HiveCase {
    Hive hive;
    HKEY root;
    const char* base;
    const wchar_t* wideBase;
    const char* standardKey;
};

void PrintTo(const HiveCase& hiveCase, std::ostream* out) {
    *out << hiveCase.base;
}

const HiveCase kHives[] = {
    {Hive::CurrentUser, HKEY_CURRENT_USER, "Software\\PosDevicesTest\\RoundTrip",
     L"Software\\PosDevicesTest\\RoundTrip", "Software"},
    {Hive::LocalMachine, HKEY_LOCAL_MACHINE, "Software\\PosDevicesTest\\RoundTrip",
     L"Software\\PosDevicesTest\\RoundTrip", "Software"},
    {Hive::ClassesRoot, HKEY_CLASSES_ROOT, "PosDevicesTest.RoundTrip", L"PosDevicesTest.RoundTrip",
     "CLSID"},
};

RegistryValue text(std::string name, std::string value) {
    return {std::move(name), ValueType::String, std::move(value), 0};
}
RegistryValue expandText(std::string name, std::string value) {
    return {std::move(name), ValueType::ExpandString, std::move(value), 0};
}
RegistryValue number(std::string name, std::uint32_t value) {
    return {std::move(name), ValueType::DWord, "", value};
}

class RegistryStoreTest : public ::testing::TestWithParam<HiveCase> {
  protected:
    void SetUp() override {
        store_->deleteKeyTree(hive(), base());
        ASSERT_FALSE(store_->keyExists(hive(), base()));
    }
    void TearDown() override { store_->deleteKeyTree(hive(), base()); }

    Hive hive() const { return GetParam().hive; }
    HKEY root() const { return GetParam().root; }
    std::string base() const { return GetParam().base; }
    std::string path(const std::string& below) const { return base() + "\\" + below; }
    std::wstring widePath(const std::wstring& below) const {
        return std::wstring(GetParam().wideBase) + L"\\" + below;
    }

    // Writes raw bytes the way other programs may, bypassing the store.
    void writeRaw(const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
                  DWORD size) {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root(), key.c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
    }

    std::unique_ptr<RegistryStore> store_ = pos::platform::openSystemRegistry();
};

TEST_P(RegistryStoreTest, WritesReadBackWithTheirTypes) {
    const std::string device = path("Device\\Receipt");
    ASSERT_TRUE(store_->createKey(hive(), device));  // parents come along
    EXPECT_TRUE(store_->keyExists(hive(), path("Device")));

    ASSERT_TRUE(store_->writeValue(hive(), device, text("", "Receipt printer")));
    ASSERT_TRUE(store_->writeValue(hive(), device, text("Port", "COM3")));
    ASSERT_TRUE(store_->writeValue(hive(), device, number("Baud", 19200)));
    ASSERT_TRUE(store_->writeValue(hive(), device, number("Top", 0xFFFFFFFFu)));
    ASSERT_TRUE(store_->writeValue(hive(), device, expandText("Log", "%TEMP%\\pos.log")));
    ASSERT_TRUE(store_->writeValue(hive(), device, text("Empty", "")));

    EXPECT_EQ(store_->readValue(hive(), device, ""), text("", "Receipt printer"));
    EXPECT_EQ(store_->readValue(hive(), device, "Port"), text("Port", "COM3"));
    EXPECT_EQ(store_->readValue(hive(), device, "Baud"), number("Baud", 19200));
    EXPECT_EQ(store_->readValue(hive(), device, "Top"), number("Top", 0xFFFFFFFFu));
    EXPECT_EQ(store_->readValue(hive(), device, "Log"), expandText("Log", "%TEMP%\\pos.log"));
    EXPECT_EQ(store_->readValue(hive(), device, "Empty"), text("Empty", ""));
    EXPECT_THAT(store_->values(hive(), device),
                UnorderedElementsAre(text("", "Receipt printer"), text("Port", "COM3"),
                                     number("Baud", 19200), number("Top", 0xFFFFFFFFu),
                                     expandText("Log", "%TEMP%\\pos.log"), text("Empty", "")));
}

TEST_P(RegistryStoreTest, NamesCompareWithoutCase) {
    const std::string device = path("Device");
    ASSERT_TRUE(store_->writeValue(hive(), device, text("PortName", "COM3")));
    std::string shouted = path("DEVICE");
    for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(store_->keyExists(hive(), shouted));
    const auto value = store_->readValue(hive(), path("DEVICE"), "portname");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->text, "COM3");

    // Writing under another spelling replaces the value instead of adding one.
    ASSERT_TRUE(store_->writeValue(hive(), device, number("PORTNAME", 5)));
    EXPECT_THAT(store_->values(hive(), device), ElementsAre(number("PortName", 5)));
    EXPECT_TRUE(store_->deleteValue(hive(), device, "portNAME"));
    EXPECT_THAT(store_->values(hive(), device), IsEmpty());
}

TEST_P(RegistryStoreTest, TextOutsideTheAnsiCodePageSurvives) {
    // "Größe" as a key, "Ω 漢 €" as data: UTF-8 here, UTF-16 in the registry.
    const std::string key = path(
        "Gr\xC3\xB6\xC3\x9F"
        "e");
    const std::string data = "\xCE\xA9 \xE6\xBC\xA2 \xE2\x82\xAC";
    ASSERT_TRUE(store_->writeValue(hive(), key, text("\xCE\xA9", data)));
    EXPECT_THAT(store_->subkeys(hive(), base()), ElementsAre("Gr\xC3\xB6\xC3\x9F"
                                                             "e"));
    EXPECT_EQ(store_->readValue(hive(), key, "\xCE\xA9"), text("\xCE\xA9", data));

    // What the registry itself holds is the UTF-16 form.
    wchar_t raw[16] = {};
    DWORD size = sizeof(raw);
    ASSERT_EQ(RegGetValueW(root(), widePath(L"Gr\u00F6\u00DFe").c_str(), L"\u03A9", RRF_RT_REG_SZ,
                           nullptr, raw, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(raw), L"\u03A9 \u6F22 \u20AC");
}

TEST_P(RegistryStoreTest, StringsWrittenByOthersLoseOnlyTheirTerminators) {
    const std::wstring key = widePath(L"Raw");
    writeRaw(key, L"Bare", REG_SZ, L"COM4", 4 * sizeof(wchar_t));              // no NUL
    writeRaw(key, L"Double", REG_EXPAND_SZ, L"C:\\x\0", 6 * sizeof(wchar_t));  // two NULs
    writeRaw(key, L"Odd", REG_SZ, L"AB", 3);                                   // half a unit
    const std::uint8_t blob[] = {1, 2, 3};
    writeRaw(key, L"Blob", REG_BINARY, blob, sizeof(blob));

    EXPECT_EQ(store_->readValue(hive(), path("Raw"), "Bare"), text("Bare", "COM4"));
    EXPECT_EQ(store_->readValue(hive(), path("Raw"), "Double"), expandText("Double", "C:\\x"));
    EXPECT_EQ(store_->readValue(hive(), path("Raw"), "Odd"), text("Odd", "A"));
    EXPECT_EQ(store_->readValue(hive(), path("Raw"), "Blob"), std::nullopt);
    EXPECT_THAT(store_->values(hive(), path("Raw")),
                UnorderedElementsAre(text("Bare", "COM4"), expandText("Double", "C:\\x"),
                                     text("Odd", "A")));
}

TEST_P(RegistryStoreTest, LongValuesAreReadWhole) {
    const std::string longText(5000, 'x');
    ASSERT_TRUE(store_->writeValue(hive(), path("Long"), text("Text", longText)));
    ASSERT_TRUE(store_->writeValue(hive(), path("Long"), text(std::string(300, 'n'), "v")));
    EXPECT_EQ(store_->readValue(hive(), path("Long"), "Text"), text("Text", longText));
    EXPECT_THAT(store_->values(hive(), path("Long")),
                UnorderedElementsAre(text("Text", longText), text(std::string(300, 'n'), "v")));
}

TEST_P(RegistryStoreTest, DeleteKeyTreeRemovesEverythingBelow) {
    ASSERT_TRUE(store_->writeValue(hive(), path("Tree\\A\\Deep"), number("N", 1)));
    ASSERT_TRUE(store_->writeValue(hive(), path("Tree\\B"), text("S", "s")));
    ASSERT_TRUE(store_->writeValue(hive(), path("Tree"), text("Top", "t")));
    ASSERT_TRUE(store_->createKey(hive(), path("Sibling")));
    EXPECT_THAT(store_->subkeys(hive(), path("Tree")), UnorderedElementsAre("A", "B"));

    EXPECT_TRUE(store_->deleteKeyTree(hive(), path("tree")));
    EXPECT_FALSE(store_->keyExists(hive(), path("Tree")));
    EXPECT_FALSE(store_->keyExists(hive(), path("Tree\\A\\Deep")));
    EXPECT_THAT(store_->subkeys(hive(), base()), ElementsAre("Sibling"));
    EXPECT_FALSE(store_->deleteKeyTree(hive(), path("Tree")));  // already gone
}

TEST_P(RegistryStoreTest, MissingKeysAndValuesReadAsAbsent) {
    EXPECT_FALSE(store_->keyExists(hive(), path("Nope")));
    EXPECT_EQ(store_->readValue(hive(), path("Nope"), "X"), std::nullopt);
    EXPECT_THAT(store_->values(hive(), path("Nope")), IsEmpty());
    EXPECT_THAT(store_->subkeys(hive(), path("Nope")), IsEmpty());
    EXPECT_FALSE(store_->deleteValue(hive(), path("Nope"), "X"));
    EXPECT_FALSE(store_->deleteKeyTree(hive(), path("Nope")));
    ASSERT_TRUE(store_->createKey(hive(), path("Here")));
    EXPECT_EQ(store_->readValue(hive(), path("Here"), "X"), std::nullopt);
    EXPECT_FALSE(store_->deleteValue(hive(), path("Here"), "X"));
}

TEST_P(RegistryStoreTest, RefusesInputItCannotPassOn) {
    EXPECT_FALSE(store_->deleteKeyTree(hive(), ""));
    EXPECT_FALSE(store_->deleteKeyTree(hive(), "\\\\"));
    EXPECT_TRUE(store_->keyExists(hive(), GetParam().standardKey));  // the hive is untouched

    const std::string badUtf8 = "\xC3\x28";
    EXPECT_FALSE(store_->createKey(hive(), path(badUtf8)));
    EXPECT_FALSE(store_->writeValue(hive(), path("V"), text(badUtf8, "x")));
    EXPECT_FALSE(store_->writeValue(hive(), path("V"), text("x", badUtf8)));
    EXPECT_FALSE(store_->writeValue(hive(), path(std::string("A\0B", 3)), text("x", "y")));
    EXPECT_FALSE(store_->keyExists(hive(), path("A")));
    EXPECT_FALSE(store_->keyExists(static_cast<Hive>(9), "Software"));
}

TEST_P(RegistryStoreTest, TransactRunsTheBodyAndReturnsItsResult) {
    EXPECT_TRUE(
        store_->transact([&] { return store_->writeValue(hive(), path("T"), number("N", 7)); }));
    EXPECT_EQ(store_->readValue(hive(), path("T"), "N"), number("N", 7));
    EXPECT_FALSE(store_->transact([] { return false; }));
}

INSTANTIATE_TEST_SUITE_P(Hives, RegistryStoreTest, ::testing::ValuesIn(kHives),
                         [](const auto& instance) -> std::string {
                             switch (instance.param.hive) {
                                 case Hive::CurrentUser:
                                     return "CurrentUser";
                                 case Hive::LocalMachine:
                                     return "LocalMachine";
                                 case Hive::ClassesRoot:
                                     return "ClassesRoot";
                             }
                             return "Unknown";
                         });

}  // namespace
