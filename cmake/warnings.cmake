# Warnings are errors in our code; one place sets them for every target of the project.
function(korv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror -Wshadow
                                           -Wnon-virtual-dtor -Woverloaded-virtual)
endfunction()
