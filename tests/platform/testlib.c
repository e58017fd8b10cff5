/* A tiny shared library for the loader's tests. */
int kiosk_test_answer(void) { return 42; }
