#pragma once
// The printer service object's fixed identities: the control objects, the setup utility and
// every installed device entry depend on them.
#include "platform/com.h"

namespace pos::printer {

inline constexpr GUID kClsid = {
    0x7A41C2D0, 0x5E93, 0x4B18, {0x9F, 0x26, 0x31, 0xD8, 0xE0, 0xB7, 0xA4, 0xC5}};
inline constexpr GUID kIidIRPrinter = {
    0x91B5F3E6, 0x2C07, 0x4D8A, {0xA4, 0xE9, 0x0B, 0x6C, 0x58, 0xD1, 0xF2, 0x37}};
inline constexpr GUID kIidIRPrinterEvents = {
    0x0F6D29C4, 0xB871, 0x4A35, {0x96, 0xE2, 0xD4, 0xA0, 0xC3, 0xB5, 0xE8, 0x1F}};
inline constexpr GUID kLibid = {
    0x5C8E17B2, 0xA0F4, 0x4E6D, {0x8B, 0x31, 0x6F, 0x2A, 0x9D, 0x04, 0xC7, 0xE8}};
inline constexpr unsigned short kLibMajor = 1;
inline constexpr unsigned short kLibMinor = 0;
inline constexpr LCID kLibLocale = 0x409;

inline constexpr const char* kProgId = "OPOS.KVXSO";
inline constexpr const char* kVersionedProgId = "OPOS.KVXSO.1";
inline constexpr const char* kClassDescription = "OPOS Library for POS Printer";

}  // namespace pos::printer
