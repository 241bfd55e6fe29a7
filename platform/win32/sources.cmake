target_sources(pos_platform PRIVATE
  win32/ansi_text.cpp
  win32/type_library.cpp
  win32/com_activation.cpp
)
target_link_libraries(pos_platform PUBLIC ole32 oleaut32 uuid)

# USB devices through the device-setup services and the USB driver's pipes.
target_sources(pos_platform PRIVATE win32/usb_devices.cpp)
target_link_libraries(pos_platform PUBLIC setupapi)

# Private folders for one piece of work (bitmap printing from memory).
target_sources(pos_platform PRIVATE win32/private_folder.cpp)
