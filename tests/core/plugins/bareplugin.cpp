// A shared library that exports neither entry point.
extern "C" int kiosk_bare_plugin() { return 1; }
