// A library for the dynamic library tests to load, query and unload.
extern "C" __declspec(dllexport) int probeAnswer() {
    return 42;
}
