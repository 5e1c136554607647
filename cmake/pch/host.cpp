// Compiles nothing of its own: the target built from it carries the
// precompiled header that the other targets of its kind reuse.
int main() { return 0; }
