#include "printer_registration.h"

#include "component/guid_text.h"
#include "printer_identity.h"

namespace pos::printer {

std::vector<component::RegistrationKey> printerRegistration(const std::string& modulePath) {
    using Key = component::RegistrationKey;
    using Removal = Key::Removal;
    const std::string clsid = component::guidText(kClsid);
    const std::string libid = component::guidText(kLibid);
    return {
        Key{kVersionedProgId, kClassDescription, {}, Removal::Normal, {Key{"CLSID", clsid}}},
        Key{kProgId,
            kClassDescription,
            {},
            Removal::Normal,
            {Key{"CLSID", clsid}, Key{"CurVer", kVersionedProgId}}},
        Key{"CLSID",
            std::nullopt,
            {},
            Removal::NoRemove,
            {Key{clsid,
                 kClassDescription,
                 {},
                 Removal::ForceRemove,
                 {
                     Key{"ProgID", kVersionedProgId},
                     Key{"VersionIndependentProgID", kProgId},
                     Key{"Programmable", std::nullopt, {}, Removal::ForceRemove},
                     Key{"InprocServer32", modulePath, {{"ThreadingModel", "Apartment"}}},
                     Key{"TypeLib", libid},
                 }}}},
    };
}

}  // namespace pos::printer
