find_package(GTest REQUIRED)
include(GoogleTest)

# The main of the tests that need a Qt application (tests/support/TestMain.cpp), once
# with a QGuiApplication and once with a QApplication.
add_library(qv_test_main_gui STATIC ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
target_link_libraries(qv_test_main_gui PUBLIC project_options GTest::gtest Qt5::Gui)
add_library(qv_test_main_widgets STATIC ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
target_compile_definitions(qv_test_main_widgets PRIVATE QUORVELL_TEST_WIDGETS)
target_link_libraries(qv_test_main_widgets PUBLIC project_options GTest::gtest Qt5::Widgets)

# quorvell_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib... [ENV VAR=value...] [LABELS ...]
#                    [DBUS] [GUI | WIDGETS])
# One GoogleTest executable registered as one CTest test. DBUS runs it inside a
# private session bus (dbus-run-session), so no test reaches the user's desktop bus.
# GUI and WIDGETS run the tests inside a QGuiApplication or a QApplication, in a
# temporary home.
function(quorvell_add_gtest name)
  cmake_parse_arguments(T "DBUS;GUI;WIDGETS" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_WIDGETS)
    set(main qv_test_main_widgets)
  elseif(T_GUI)
    set(main qv_test_main_gui)
  else()
    set(main GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE project_options GTest::gtest ${main} ${T_LIBS})
  set(cmd $<TARGET_FILE:${name}>)
  if(T_DBUS)
    add_test(NAME ${name} COMMAND dbus-run-session -- ${cmd})
  else()
    add_test(NAME ${name} COMMAND ${cmd})
  endif()
  set(env "QT_QPA_PLATFORM=offscreen" "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quorvell-test-bus"
          "QUORVELL_SOURCE_DIR=${PROJECT_SOURCE_DIR}" "QUORVELL_BINARY_DIR=${PROJECT_BINARY_DIR}" ${T_ENV})
  if(T_DBUS)
    list(FILTER env EXCLUDE REGEX "^DBUS_SESSION_BUS_ADDRESS=")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300 LABELS "${T_LABELS}")
endfunction()
