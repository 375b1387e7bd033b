// Sanitizer builds only: leak reports to ignore, the caches that fontconfig keeps
// for the life of the process once the program's fonts are registered, and the
// bus connection data that libdbus keeps until exit.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
