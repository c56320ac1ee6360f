find_package(GTest REQUIRED)
include(GoogleTest)

# quorvell_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib... [ENV VAR=value...] [DBUS])
# One GoogleTest executable registered as one CTest test. DBUS runs it inside a
# private session bus (dbus-run-session), so no test reaches the user's desktop bus.
function(quorvell_add_gtest name)
  cmake_parse_arguments(T "DBUS" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE project_options GTest::gtest GTest::gtest_main ${T_LIBS})
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
