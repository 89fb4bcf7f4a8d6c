# The media control on libmpv: real playback of generated media with null outputs.
vantoro_test(player_control_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TWMTPlayerTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/TWMTPlayerTestMedia.cpp
          ${CMAKE_CURRENT_LIST_DIR}/MpvAsxReaderTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PicturePreloaderTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/../platform/JpegSamples.cpp
  LIBS vantoro_player
  TIMEOUT 180)

# The same locale check under a locale whose decimal separator is not a dot.
add_test(NAME player_control_locale_en_US
         COMMAND player_control_test --gtest_filter=*PlaysUnderANonCNumericLocale*)
set_tests_properties(player_control_locale_en_US PROPERTIES TIMEOUT 60
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8")

# The picture needs a real display with OpenGL, so this program runs only under Xvfb (Mesa's
# software OpenGL) through the wrapper below, never on the offscreen platform.
add_executable(player_control_video_test
  ${CMAKE_CURRENT_LIST_DIR}/TWMTPlayerVideoTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TWMTPlayerTestMedia.cpp)
target_link_libraries(player_control_video_test PRIVATE vantoro_testmain vantoro_player)
vantoro_warnings(player_control_video_test)
if(VANTORO_WITH_DISPLAY)
  add_test(NAME player_control_video_xvfb
           COMMAND ${VANTORO_WITH_DISPLAY} --
                   $<TARGET_FILE:player_control_video_test>)
  set_tests_properties(player_control_video_xvfb PROPERTIES TIMEOUT 120 LABELS xvfb
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;VANTORO_REQUIRE_PICTURE=1")
  # An X server without OpenGL: Qt's xcb platform with its OpenGL integration turned off.
  add_test(NAME player_control_video_without_opengl_xvfb
           COMMAND ${VANTORO_WITH_DISPLAY} --
                   $<TARGET_FILE:player_control_video_test> --gtest_filter=*WithoutOpenGL*)
  set_tests_properties(player_control_video_without_opengl_xvfb PROPERTIES TIMEOUT 120
    LABELS xvfb ENVIRONMENT "QT_QPA_PLATFORM=xcb;QT_XCB_GL_INTEGRATION=none")
endif()
# On a Wayland compositor: the picture through mpv's render API on EGL, read back from the
# surface. A Wayland client cannot read the screen, so the slideshow's screen check is left out.
if(VANTORO_WITH_DISPLAY AND VANTORO_WESTON)
  add_test(NAME player_control_video_wayland
           COMMAND ${VANTORO_WITH_DISPLAY} --wayland -- $<TARGET_FILE:player_control_video_test>
                   --gtest_filter=-*ReachesTheScreen*)
  set_tests_properties(player_control_video_wayland PROPERTIES TIMEOUT 120 LABELS wayland
    ENVIRONMENT "VANTORO_REQUIRE_PICTURE=1")
endif()

# Two minutes of a photo slideshow at the shortest picture time in the player window, read from
# the screen by a second process: the pictures' mean time on screen within 3 % of the picture
# time, and the resident memory flat in the second minute. The half-hour run is the benchmark.
if(VANTORO_WITH_DISPLAY AND VANTORO_BUILD_BENCH)
  add_test(NAME player_slideshow_screen_xvfb
           COMMAND ${VANTORO_WITH_DISPLAY} --
                   $<TARGET_FILE:player_slideshow_screen_bench> --minutes=2 --window --check)
  set_tests_properties(player_slideshow_screen_xvfb PROPERTIES TIMEOUT 300 LABELS xvfb
    ENVIRONMENT "QT_QPA_PLATFORM=xcb")
endif()
