// environment.cpp -- where the tests find the demo binary and the data files, unless the
// environment already says; linked into every test program
#include <cstdlib>

namespace {
struct TestEnvironment {
    TestEnvironment()
    {
        setenv("DEMO_DATA_DIR", DEMO_TEST_DATA_DIR, 0);
        setenv("DEMO_BINARY", DEMO_TEST_BINARY, 0);
        setenv("DEMO_TOOLS", DEMO_TEST_TOOLS_DIR, 0);
#ifdef DEMO_PRELOAD_GL_DRIVER
        // Under the sanitizers: the demo run as a child keeps the GL driver's modules mapped
        // until its leak check, so that the driver's own allocations can be suppressed by name.
        setenv("LD_PRELOAD", DEMO_PRELOAD_GL_DRIVER, 0);
        setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 0);
        // The software rasterizer draws on the calling thread, so that the instrumented runs keep
        // the driver's worker threads out of what the sanitizers watch.
        setenv("LP_NUM_THREADS", "0", 0);
#endif
    }
};
const TestEnvironment environment;
}  // namespace
