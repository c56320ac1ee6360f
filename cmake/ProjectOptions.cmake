# One interface target that every target of the project links: language level,
# warnings, the source root as include root, and the optional sanitizers.
add_library(project_options INTERFACE)
target_compile_features(project_options INTERFACE cxx_std_20)
target_include_directories(project_options INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
target_compile_definitions(project_options INTERFACE
  QT_NO_FOREACH QT_DISABLE_DEPRECATED_BEFORE=0x050F00
  QUORVELL_VERSION="${PROJECT_VERSION}")
target_compile_options(project_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow=local
  -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough)

option(QUORVELL_WARNINGS_AS_ERRORS "Treat warnings as errors" OFF)
if(QUORVELL_WARNINGS_AS_ERRORS)
  target_compile_options(project_options INTERFACE -Werror)
endif()

option(QUORVELL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(QUORVELL_SANITIZE)
  target_compile_options(project_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()
