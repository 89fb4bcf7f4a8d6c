# Preview of a large JPEG against a full-size decode by Qt's reader.
add_executable(platform_jpeg_preview_bench
  ${CMAKE_CURRENT_LIST_DIR}/JpegPreviewBench.cpp ${PROJECT_SOURCE_DIR}/tests/platform/JpegSamples.cpp)
target_include_directories(platform_jpeg_preview_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/platform)
target_link_libraries(platform_jpeg_preview_bench PRIVATE vantoro_platform benchmark::benchmark)
vantoro_warnings(platform_jpeg_preview_bench)
