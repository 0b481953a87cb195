// Estimates the core clock: a chain of dependent register additions runs at
// one per cycle on any x86-64 core, so additions per nanosecond is GHz.
// Used to turn the key schedule's time into cycles per round.
#include <stdio.h>
#include <time.h>

static double Seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

int main()
{
    const long kIterations = 200000000; // 8 additions each
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        unsigned long x = 1;
        const double start = Seconds();
        for (long i = 0; i < kIterations; ++i) {
            asm volatile("add %0, %0\n\tadd %0, %0\n\tadd %0, %0\n\tadd %0, %0\n\t"
                         "add %0, %0\n\tadd %0, %0\n\tadd %0, %0\n\tadd %0, %0"
                         : "+r"(x));
        }
        const double elapsed = Seconds() - start;
        if (elapsed < best)
            best = elapsed;
    }
    // The loop's own increment and branch run alongside the chain.
    printf("%.3f\n", 8.0 * static_cast<double>(kIterations) / best / 1e9);
    return 0;
}
