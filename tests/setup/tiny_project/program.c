#include <stdio.h>

/* Says that it ran, so that a test sees scripts/start.sh start it. */
int main(int argc, char** argv) {
  printf("%s ran with %d arguments\n", argv[0], argc - 1);
  return 0;
}
