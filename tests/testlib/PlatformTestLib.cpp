// A tiny library that the platform tests load at run time.
extern "C" {
__attribute__((visibility("default"))) int testlibAdd(int a, int b) { return a + b; }
__attribute__((visibility("default"))) const char* testlibName() { return "picreel test library"; }
}
