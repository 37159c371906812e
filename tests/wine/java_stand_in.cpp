// Any program the system starts under the name "java" satisfies the installer; this one ends at
// once.
int main() {
    return 0;
}
