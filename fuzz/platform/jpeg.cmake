# The preview JPEG decoder. Seed corpus: run jpeg_fuzz_seeds CORPUS-FOLDER first, then
#   jpeg_decoder_fuzzer -dict=fuzz/platform/jpeg.dict -max_len=65536 -timeout=10
#     -rss_limit_mb=2560 CORPUS-FOLDER
vantoro_fuzzer(jpeg_decoder_fuzzer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/JpegDecoderFuzzer.cpp
  LIBS vantoro_platform)

add_executable(jpeg_fuzz_seeds
  ${CMAKE_CURRENT_LIST_DIR}/JpegFuzzSeeds.cpp ${PROJECT_SOURCE_DIR}/tests/platform/JpegSamples.cpp)
target_include_directories(jpeg_fuzz_seeds PRIVATE ${PROJECT_SOURCE_DIR}/tests/platform)
target_link_libraries(jpeg_fuzz_seeds PRIVATE vantoro_platform)
target_link_options(jpeg_fuzz_seeds PRIVATE -fsanitize=address,undefined)
