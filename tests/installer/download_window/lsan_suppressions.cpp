// Leak reports to ignore under LeakSanitizer: the font caches that fontconfig keeps
// for the life of the process once Qt has loaded an application font.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
