# Applies AddressSanitizer + UndefinedBehaviorSanitizer to every target when DORVEX_SANITIZE is on.
if(DORVEX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
