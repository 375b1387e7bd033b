/* A library planted beside a program under OpenSSL's file names. It has none of
   OpenSSL's functions; once loaded, its constructor writes the file that
   VORNEL_PLANTED_MARKER names, so a test sees whether the program loaded it. */
#include <stdio.h>
#include <stdlib.h>

__attribute__((constructor)) static void Planted(void) {
  const char* marker = getenv("VORNEL_PLANTED_MARKER");
  if (marker == NULL)
    return;
  FILE* f = fopen(marker, "w");
  if (f != NULL) {
    fputs("loaded\n", f);
    fclose(f);
  }
}
