# JPEG decoding, picture previews and the file dialogs.
vantoro_test(platform_jpeg_decoder_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/JpegDecoderTest.cpp ${CMAKE_CURRENT_LIST_DIR}/JpegSamples.cpp
  LIBS vantoro_platform TIMEOUT 120)
vantoro_test(platform_picture_preview_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PicturePreviewTest.cpp ${CMAKE_CURRENT_LIST_DIR}/JpegSamples.cpp
  LIBS vantoro_platform TIMEOUT 120)
vantoro_test(platform_file_dialogs_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/QtFileDialogsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/JpegSamples.cpp
  LIBS vantoro_platform TIMEOUT 120)
