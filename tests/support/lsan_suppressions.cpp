// Under LeakSanitizer: fontconfig and Xft keep font patterns for the life of
// the process and never free them; those are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libXft.so\n";
}
