# The warning set of every target; DORVEX_WARNINGS_AS_ERRORS (on in CI) makes them errors.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion)
if(DORVEX_WARNINGS_AS_ERRORS)
  add_compile_options(-Werror)
endif()
