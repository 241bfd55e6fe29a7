# Warnings are errors everywhere; third-party code is pulled in as SYSTEM. COM interfaces end
# through Release, not a virtual destructor, so -Wnon-virtual-dtor does not fit them.
add_compile_options(-Wall -Wextra -Werror -Wshadow -Wno-missing-field-initializers)
if(WIN32)
  # COM headers use casts between function pointer types.
  add_compile_options(-Wno-cast-function-type)
endif()
