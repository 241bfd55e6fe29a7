target_sources(pos_platform PRIVATE
  win32/ansi_text.cpp
  win32/com_activation.cpp
  win32/dynamic_library.cpp
  win32/message_pump.cpp
  win32/ordered_writer.cpp
  win32/receive_watch.cpp
  win32/registry_store.cpp
  win32/serial_port.cpp
  win32/type_library.cpp
  win32/utf16.cpp
)
target_link_libraries(pos_platform PUBLIC ole32 oleaut32 uuid user32 advapi32)

# USB devices through the device-setup services and the USB driver's pipes.
target_sources(pos_platform PRIVATE win32/usb_devices.cpp)
target_link_libraries(pos_platform PUBLIC setupapi)

# Private folders for one piece of work (bitmap printing from memory).
target_sources(pos_platform PRIVATE win32/private_folder.cpp)
