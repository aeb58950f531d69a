// Throughput of the text measures on a large generated text, next to strlen
// and "wc -w" on the same text.
//   bench_measures [megabytes (default 256)] [folder for the text file (default /tmp)]
// The last five lines are "<name> <GB/s>".
#include "wordcount/TextMeasures.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the compiler from dropping or merging the measured calls.
template <class T>
void KeepAlive(T value)
{
    asm volatile("" : : "r"(value) : "memory");
}

// Prose-like text: words of 1-12 letters, punctuation, numbers, paragraphs of
// varying length with CR/LF ends, some tabs and a few high bytes.
void Generate(char* text, size_t size)
{
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    static const char kPunct[] = ",.;:!?'-\"";
    size_t i = 0;
    size_t paragraph = 200 + next() % 1200;
    while (i + 16 < size) {
        uint64_t r = next();
        int length = 1 + (int)(r % 12);
        for (int k = 0; k < length; ++k)
            text[i++] = (char)((r >> (8 + k % 7 * 3)) % 8 == 0 ? 'A' + (r >> 20) % 26
                                                               : 'a' + (r >> (12 + k * 4)) % 26);
        uint64_t s = r >> 40;
        if (s % 9 == 0)
            text[i++] = kPunct[(s >> 4) % 9];
        else if (s % 97 == 0)
            text[i++] = (char)(0xE0 + (s >> 8) % 32);
        if (paragraph <= length + 1u) {
            text[i++] = '\r';
            text[i++] = '\n';
            if (s % 3 == 0) {
                text[i++] = '\r';
                text[i++] = '\n';
            }
            if (s % 11 == 0)
                text[i++] = '\t';
            paragraph = 200 + next() % 1200;
        } else {
            text[i++] = ' ';
            paragraph -= length + 1;
        }
    }
    while (i < size - 1)
        text[i++] = ' ';
    text[size - 1] = '\0';
}

template <class F>
double BestSeconds(int rounds, F run)
{
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        auto start = Clock::now();
        run();
        double s = std::chrono::duration<double>(Clock::now() - start).count();
        if (s < best)
            best = s;
    }
    return best;
}

// Runs "wc -w" on the file in the C locale (its fastest setting); returns its
// word count through *words.
bool RunWc(const std::string& path, long long* words)
{
    std::string command = "LC_ALL=C wc -w < '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    bool ok = fscanf(pipe, "%lld", words) == 1;
    return pclose(pipe) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    const size_t megabytes = argc > 1 ? strtoul(argv[1], nullptr, 10) : 256;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const size_t size = megabytes << 20;
    if (size < (1u << 20)) {
        fprintf(stderr, "bench_measures: at least 1 MB\n");
        return 2;
    }
    char* text = (char*)malloc(size);
    if (!text) {
        fprintf(stderr, "bench_measures: out of memory\n");
        return 1;
    }
    Generate(text, size);
    const std::string path = folder + "/qt-bench-" + std::to_string(getpid()) + ".txt";
    FILE* file = fopen(path.c_str(), "wb");
    if (!file || fwrite(text, 1, size - 1, file) != size - 1 || fclose(file) != 0) {
        fprintf(stderr, "bench_measures: cannot write %s\n", path.c_str());
        return 1;
    }

    const double gb = (double)(size - 1) / 1e9;
    const int rounds = 5;
    int words = 0, lines = 0, characters = 0;
    size_t length = 0;
    double tWords = BestSeconds(rounds, [&] { KeepAlive(words = CountWords(text)); });
    double tLines = BestSeconds(rounds, [&] { KeepAlive(lines = CountLines(text, 80)); });
    double tChars = BestSeconds(rounds, [&] { KeepAlive(characters = CountCharacters(text)); });
    double tStrlen = BestSeconds(rounds, [&] {
        KeepAlive(text);
        KeepAlive(length = strlen(text));
    });
    long long wcWords = -1;
    bool wcOk = true;
    double tWc = BestSeconds(3, [&] { wcOk = wcOk && RunWc(path, &wcWords); });
    remove(path.c_str());

    printf("text: %zu MB generated, %s SIMD path\n", megabytes, MeasuresHaveSimd() ? "with" : "without");
    printf("results: %d characters, %d words (wc -w: %lld, it splits on white space only), "
           "%d lines at 80 characters, strlen %zu\n",
           characters, words, wcWords, lines, length);
    if (!wcOk) {
        fprintf(stderr, "bench_measures: wc -w failed\n");
        return 1;
    }
    printf("ratios: CountWords %.1fx wc-w, CountLines %.1fx wc-w, CountCharacters %.2fx strlen time\n",
           tWc / tWords, tWc / tLines, tChars / tStrlen);
    printf("CountWords %.3f\n", gb / tWords);
    printf("CountLines %.3f\n", gb / tLines);
    printf("CountCharacters %.3f\n", gb / tChars);
    printf("strlen %.3f\n", gb / tStrlen);
    printf("wc-w %.3f\n", gb / tWc);
    free(text);
    return 0;
}
