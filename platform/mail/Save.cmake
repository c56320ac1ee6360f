# Saving messages as PDF or RTF (the mail stand-in's "save" command). Included by
# this folder's CMakeLists.txt.
add_library(qv_mail_save STATIC
  ${CMAKE_CURRENT_LIST_DIR}/save/MessageSaver.cpp ${CMAKE_CURRENT_LIST_DIR}/save/MessageSaver.h
  ${CMAKE_CURRENT_LIST_DIR}/save/FileNaming.cpp ${CMAKE_CURRENT_LIST_DIR}/save/FileNaming.h
  ${CMAKE_CURRENT_LIST_DIR}/save/RtfWriter.cpp ${CMAKE_CURRENT_LIST_DIR}/save/RtfWriter.h
  ${CMAKE_CURRENT_LIST_DIR}/save/PdfWriter.cpp ${CMAKE_CURRENT_LIST_DIR}/save/PdfWriter.h
  ${CMAKE_CURRENT_LIST_DIR}/save/PaperSize.cpp ${CMAKE_CURRENT_LIST_DIR}/save/PaperSize.h
)
target_link_libraries(qv_mail_save PUBLIC project_options Qt5::Core Qt5::Gui)

if(TARGET qv_mail)
  target_link_libraries(qv_mail PRIVATE qv_mail_save)
endif()
