#include <cstdio>

int main() {
    std::puts("🔧 Quorvel starting");
    return 0;
}
