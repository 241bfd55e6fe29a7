#pragma once
#include <string>
#include <vector>

#include "component/registration.h"

namespace pos::printer {

// The keys the library writes under HKEY_CLASSES_ROOT when it registers itself.
std::vector<component::RegistrationKey> printerRegistration(const std::string& modulePath);

}  // namespace pos::printer
