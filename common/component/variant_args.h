#pragma once
// Reading and writing dispatch arguments the way callers really send them: any integer kind,
// booleans, strings and dispatch pointers, by value or by reference.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/com.h"

namespace pos::component {

// The argument with references (also through a VT_VARIANT reference) followed.
const VARIANT& followReference(const VARIANT& arg, VARIANT& scratch);

std::optional<std::int32_t> toLong(const VARIANT& arg);
std::optional<std::u16string> toString(const VARIANT& arg);
// VT_EMPTY, VT_NULL and a null pointer give a null dispatch pointer.
std::optional<IDispatch*> toDispatch(const VARIANT& arg);

// A by-reference argument that can take a long or a string; false when arg is not one.
bool storeLong(VARIANT& arg, std::int32_t value);
bool storeString(VARIANT& arg, std::u16string_view value);
bool isReference(const VARIANT& arg);

}  // namespace pos::component
