// The program entry. The main window is not built yet: for now the program checks
// that its libraries link and says what it is.
#include <cstdio>

int main() {
    std::printf("Tunecrest Audio System: the main window is not built yet; the library model and\n"
                "player engines are built and tested by scripts/test.\n");
    return 0;
}
