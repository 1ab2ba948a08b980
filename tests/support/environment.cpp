// environment.cpp -- where the tests find the demo binary and the data files, unless the
// environment already says; linked into every test program
#include <cstdlib>

namespace {
struct TestEnvironment {
    TestEnvironment()
    {
        setenv("DEMO_DATA_DIR", DEMO_TEST_DATA_DIR, 0);
        setenv("DEMO_BINARY", DEMO_TEST_BINARY, 0);
    }
};
const TestEnvironment environment;
}  // namespace
