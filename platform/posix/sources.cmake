target_sources(pos_platform PRIVATE
  posix/ansi_text.cpp
  posix/com_abi.cpp
  posix/com_activation.cpp
  posix/deadline_poll.cpp
  posix/dynamic_library.cpp
  posix/message_pump.cpp
  posix/serial_port.cpp
  posix/serial_writer.cpp
  posix/termios_line_settings.cpp
  posix/type_library.cpp
)
find_package(Threads REQUIRED)
target_link_libraries(pos_platform PRIVATE Threads::Threads ${CMAKE_DL_LIBS})

# The registry kept in a SQLite database.
find_package(SQLite3 REQUIRED GLOBAL)  # GLOBAL: static-library users link it too
target_sources(pos_platform PRIVATE
  posix/registry_names.cpp
  posix/sqlite_query.cpp
  posix/sqlite_registry_schema.cpp
  posix/sqlite_registry_store.cpp
  posix/system_registry.cpp
)
target_link_libraries(pos_platform PRIVATE SQLite::SQLite3)

# Descriptor plumbing for programs that serve a pseudo-terminal and sockets from one poll().
target_sources(pos_platform PRIVATE
  posix/descriptor_io.cpp
  posix/pseudo_terminal.cpp
  posix/stop_signals.cpp
  posix/unix_stream_listener.cpp
)

# USB devices through libusb.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBUSB REQUIRED IMPORTED_TARGET libusb-1.0)
target_sources(pos_platform PRIVATE
  posix/libusb_context.cpp
  posix/libusb_session.cpp
  posix/usb_devices.cpp
  posix/usb_location.cpp
)
target_link_libraries(pos_platform PRIVATE PkgConfig::LIBUSB)

# Private folders for one piece of work (bitmap printing from memory).
target_sources(pos_platform PRIVATE posix/private_folder.cpp)
