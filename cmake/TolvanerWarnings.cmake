# Warnings are errors in our own targets only; Qt's and libjpeg's headers come in as system headers.
function(tolvaner_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
endfunction()

if(TOLVANER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
