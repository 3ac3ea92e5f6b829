# Compiler settings shared by every target of our own.
function(zidivo_project_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # g++ 12 reports false restrict overlaps inside std::string at -O3.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-error=restrict)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
  # Only what a library marks for export is visible outside it, as on
  # Windows: a class or function that lacks its export macro fails to link
  # here too, instead of failing only on the other platform.
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  get_target_property(kind ${target} TYPE)
  # A library must resolve every symbol it uses when it is linked. The
  # sanitizer and fuzzer runtimes of clang are linked into the executables
  # only, so their builds leave the libraries open.
  if(kind STREQUAL "SHARED_LIBRARY" AND NOT ZIDIVO_SANITIZE AND NOT ZIDIVO_FUZZ)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  if(ZIDIVO_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
  endif()
endfunction()

# Sanitizer link flags must reach every executable and library.
if(ZIDIVO_SANITIZE)
  add_link_options(-fsanitize=address,undefined)
endif()
