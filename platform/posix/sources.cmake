target_sources(pos_platform PRIVATE
  posix/com_abi.cpp
  posix/type_library.cpp
)
