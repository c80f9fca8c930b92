// Fontconfig keeps its font caches for the life of the process and never
// frees them; the leak checker would blame every test that draws text.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
