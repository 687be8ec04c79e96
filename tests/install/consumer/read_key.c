/* A C program using the installed library: prints the value of KEY in
 * SECTION of FILE, or exits 1 when there is none. */
#include <stdio.h>

#include <profile/profile.h>

int main(int argc, char** argv) {
  const char* value;
  if (argc != 4) {
    fputs("usage: read_key FILE SECTION KEY\n", stderr);
    return 2;
  }
  value = IniGetString(argv[1], argv[2], argv[3], NULL);
  if (value == NULL) return 1;
  printf("%s\n", value);
  return 0;
}
