# Applies AddressSanitizer + UndefinedBehaviorSanitizer to every target when DORVEX_SANITIZE is on.
if(DORVEX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzz builds instrument every library for coverage, so that libFuzzer is guided by the code under
# test and not only by the fuzz target itself.
if(DORVEX_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
