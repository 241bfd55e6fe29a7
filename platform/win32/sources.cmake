target_sources(pos_platform PRIVATE
  win32/dynamic_library.cpp
  win32/message_pump.cpp
  win32/ordered_writer.cpp
  win32/receive_watch.cpp
  win32/registry_store.cpp
  win32/serial_port.cpp
  win32/utf16.cpp
)
target_link_libraries(pos_platform PUBLIC ole32 oleaut32 uuid)
target_link_libraries(pos_platform PUBLIC user32 advapi32)
