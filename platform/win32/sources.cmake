target_sources(pos_platform PRIVATE
)
target_link_libraries(pos_platform PUBLIC ole32 oleaut32 uuid)
