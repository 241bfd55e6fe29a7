target_sources(pos_platform PRIVATE
  posix/com_abi.cpp
  posix/deadline_poll.cpp
  posix/dynamic_library.cpp
  posix/message_pump.cpp
  posix/serial_port.cpp
  posix/serial_writer.cpp
  posix/termios_line_settings.cpp
)
find_package(Threads REQUIRED)
target_link_libraries(pos_platform PRIVATE Threads::Threads ${CMAKE_DL_LIBS})
