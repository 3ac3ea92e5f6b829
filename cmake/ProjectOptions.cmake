# Compiler settings shared by every target of our own.
function(zidivo_project_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # g++ 12 reports false restrict overlaps inside std::string at -O3.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-error=restrict)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
  if(ZIDIVO_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
  endif()
endfunction()

# Sanitizer link flags must reach every executable and library.
if(ZIDIVO_SANITIZE)
  add_link_options(-fsanitize=address,undefined)
endif()
