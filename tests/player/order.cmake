# Play order, marking, the speed and sleep dialogs and the sleep timer.
vantoro_test(player_order_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlayOrderTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/MarkingTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SpeedSleepTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SleepTimerTest.cpp
  LIBS vantoro_player
  TIMEOUT 120)
