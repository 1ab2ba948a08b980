// environment.cpp -- where the tests find the demo binary and the data files, unless the
// environment already says; linked into every test program
#include <cstdlib>

namespace {
struct TestEnvironment {
    TestEnvironment()
    {
        setenv("DEMO_DATA_DIR", DEMO_TEST_DATA_DIR, 0);
        setenv("DEMO_BINARY", DEMO_TEST_BINARY, 0);
        // The GL driver keeps allocations for the life of the process.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 0);
    }
};
const TestEnvironment environment;
}  // namespace

// Under AddressSanitizer: the GL driver's allocations live until exit and are no leak.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
