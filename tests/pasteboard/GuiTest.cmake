# quorvell_add_gui_gtest(NAME SOURCES a.cpp... LIBS lib... [ENV VAR=value...] [LABELS ...])
# Like quorvell_add_gtest, but the tests run inside a QGuiApplication (offscreen
# unless ENV says otherwise), whose clipboard works in-process.
include_guard(GLOBAL)

function(quorvell_add_gui_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/GuiTestMain.cpp)
  target_link_libraries(${name} PRIVATE project_options GTest::gtest Qt5::Gui ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quorvell-test-bus;QUORVELL_SOURCE_DIR=${PROJECT_SOURCE_DIR};QUORVELL_BINARY_DIR=${PROJECT_BINARY_DIR};${T_ENV}"
    TIMEOUT 300 LABELS "${T_LABELS}")
endfunction()
