// vellograph-cli: inspect, convert and render drawings without a display.
#include <cstdio>

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::fprintf(stderr, "usage: vellograph-cli COMMAND ...\n");
    return 2;
}
