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

# The clip dialog's size on a screen of 1280 x 1024, which the offscreen platform does not have.
if(VANTORO_WITH_DISPLAY)
  add_test(NAME platform_file_dialogs_xvfb
           COMMAND ${VANTORO_WITH_DISPLAY} --
                   $<TARGET_FILE:platform_file_dialogs_test> --gtest_filter=*ClipDialogOpensWithRoom*)
  set_tests_properties(platform_file_dialogs_xvfb PROPERTIES TIMEOUT 120 LABELS xvfb
    ENVIRONMENT "QT_QPA_PLATFORM=xcb")
endif()
