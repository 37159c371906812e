// A test that ends the program throws through Qt's event delivery. Qt Gui and Widgets are built
// without exception support, so the event and the guards on their frames are never freed. The
// leak checker of a sanitizer build reads this hook; other builds never call it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:QMutableEventPoint::detach\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n"
           "leak:QArrayData::allocate\n";
}
