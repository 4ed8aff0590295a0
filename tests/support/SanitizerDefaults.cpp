// The sanitizers' settings for every test executable, read by their runtimes at start, so a
// test run straight from the shell checks what ctest checks. Environment variables still
// take precedence.
//
// Suppressions go here (__tsan_default_suppressions, __lsan_default_suppressions), one named
// frame of a library per entry with the reason beside it; never a frame of Orvane's.

#if defined(__SANITIZE_THREAD__)

extern "C" const char* __tsan_default_options() {
    // Both stacks of a lock-order inversion; any report fails the test (exit code 66).
    return "second_deadlock_stack=1";
}

#endif

#if defined(__SANITIZE_ADDRESS__)

extern "C" const char* __lsan_default_suppressions() {
    // x265 (Debian 12's 3.5) keeps an encoder buffer past x265_encoder_close: only the view
    // tests that make sample HEIC files with libheif's encoder reach it.
    return "leak:x265::x265_malloc\n";
}

#endif
