# Warnings are errors everywhere; third-party code is pulled in as SYSTEM.
add_compile_options(-Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wno-missing-field-initializers)
if(WIN32)
  # COM headers use casts between function pointer types.
  add_compile_options(-Wno-cast-function-type)
endif()
