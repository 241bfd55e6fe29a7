#include "rprinter_object.h"

#include "platform/dynamic_library.h"
#include "platform/type_library.h"

namespace pos::printer {

ITypeInfo* RPrinterObject::typeInfo() {
    return platform::loadTypeInfo(
        platform::modulePathOf(reinterpret_cast<const void*>(&RPrinterObject::typeInfo)),
        kIidIRPrinter);
}

}  // namespace pos::printer
