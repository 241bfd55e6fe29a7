# Warnings are errors everywhere; third-party code is pulled in as SYSTEM. COM interfaces end
# through Release, not a virtual destructor, so -Wnon-virtual-dtor does not fit them.
add_compile_options(-Wall -Wextra -Werror -Wshadow -Wno-missing-field-initializers)
if(WIN32)
  # COM headers use casts between function pointer types.
  add_compile_options(-Wno-cast-function-type)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 reports std::string concatenation as overlapping memcpy when optimising (a known
  # false positive); the warning is kept wherever the compiler gets it right.
  add_compile_options(-Wno-restrict)
endif()
