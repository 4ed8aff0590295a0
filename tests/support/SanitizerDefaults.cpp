// The sanitizers' settings for every test executable, read by their runtimes at start, so a
// test run straight from the shell checks what ctest checks. Environment variables still
// take precedence.
//
// Neither ThreadSanitizer nor LeakSanitizer needs a suppression today. Should one ever be
// needed, it goes here (__tsan_default_suppressions, __lsan_default_suppressions), one named
// frame of Qt or fontconfig per entry with the reason beside it; never a frame of Orvane's.

#if defined(__SANITIZE_THREAD__)

extern "C" const char* __tsan_default_options() {
    // Both stacks of a lock-order inversion; any report fails the test (exit code 66).
    return "second_deadlock_stack=1";
}

#endif
