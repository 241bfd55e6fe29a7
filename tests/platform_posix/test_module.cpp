// Loaded by the dynamic library test.
extern "C" __attribute__((visibility("default"))) int pos_test_module_triple(int value) {
    return 3 * value;
}
