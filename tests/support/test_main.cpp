// Shared entry point of every test program.
#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The media component and the shell need a single-threaded apartment on the test thread.
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int rc = RUN_ALL_TESTS();
    if (SUCCEEDED(hr)) CoUninitialize();
    return rc;
}
