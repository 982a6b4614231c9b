// The cadhost program: a command-line CAD host.
#include <cstdio>

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::printf("cadhost: no commands yet\n");
    return 0;
}
