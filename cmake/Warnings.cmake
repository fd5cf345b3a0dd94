# Every target of the project compiles warning-clean under -Wall -Wextra.
function(tunecrest_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
