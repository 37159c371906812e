// Loaded by the platform tests; what it holds does not matter.
extern "C" int VelmoraTestLibrary() {
    return 1;
}
