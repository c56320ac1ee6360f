# The preferences window: its controller, the layout loaded from resources/Preferences.ui.
add_library(qv_prefpane STATIC
  ${CMAKE_CURRENT_LIST_DIR}/QuorvellPrefPane.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QuorvellPrefPane.h
)
set_target_properties(qv_prefpane PROPERTIES AUTOMOC ON)
target_link_libraries(qv_prefpane PUBLIC project_options Qt5::Widgets PRIVATE Qt5::UiTools qv_desktop)
# The settings readers and writers arrive with their own target; until then the library
# builds but nothing that links it can.
if(TARGET qv_settings)
  target_link_libraries(qv_prefpane PRIVATE qv_settings)
endif()
