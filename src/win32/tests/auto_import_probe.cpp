// Refers to a variable of msvcrt.dll without dllimport, which the linker could only import
// automatically, through a reference that the start-up code patches: linked with the launcher's
// options, whose start-up code patches none (runtime_support.cpp), it must not link. No header:
// they declare the variable dllimport.
extern "C" wchar_t** _wenviron;

extern "C" int __stdcall wWinMain(void*, void*, wchar_t*, int) {
  return _wenviron != nullptr ? 0 : 1;
}
