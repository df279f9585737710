// Guest code for the emulation's tests: a library whose initialiser writes
// to the null page, as a broken library would crash its process at load.
__attribute__((constructor)) static void write_to_null_page_at_load() {
  *reinterpret_cast<volatile int*>(16) = 1;
}
