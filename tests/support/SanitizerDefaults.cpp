// The sanitizers' settings for every test executable, read by their runtimes at start, so a
// test run straight from the shell checks what ctest checks. Environment variables still
// take precedence.

#if defined(__SANITIZE_THREAD__)

extern "C" const char* __tsan_default_options() {
    // Both stacks of a lock-order inversion; a report fails the test (exit code 66).
    return "second_deadlock_stack=1";
}

#endif

#if defined(__SANITIZE_ADDRESS__)

// Only allocations a library makes once for the whole process and keeps to its end; a leak in
// Orvane's code is never suppressed here. Each entry matches a function of that library.
extern "C" const char* __lsan_default_suppressions() {
    return
        // fontconfig's configuration and font cache, loaded once by the first font lookup
        // (QFont in the view's tests) and held by the library until the process ends.
        "leak:libfontconfig.so\n";
}

#endif
