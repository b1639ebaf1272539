/*
 * The benchmark's yardstick: the conversion of layouts 11 ("Numer X Y H") and
 * 13 ("Numer Numer_inny X Y H") written the plain C way - fgets into a
 * 2048-byte buffer, strtok, atof, fprintf into a text stream. It writes the
 * same batch file as the program (no KERG or ZUDP text), for input lines
 * shorter than 2048 bytes without NUL or Ctrl-Z bytes. Never shipped.
 *
 *   velmora_bench_baseline INPUT OUTPUT 11|13 SEPARATOR CODE DESCRIPTION
 *
 * Prints the time the conversion took to standard error as "elapsed_us=N".
 */
#ifndef _WIN32
#define _POSIX_C_SOURCE 200809L /* clock_gettime */
#endif
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
/* The text stream turns every "\n" into CR LF. */
#define EOL "\n"
#else
#include <time.h>
/* No text-mode translation here: the CR LF is written as it lands on disk. */
#define EOL "\r\n"
#endif

static long long NowMicroseconds(void) {
#ifdef _WIN32
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (long long)(counter.QuadPart * 1000000.0 / (double)frequency.QuadPart);
#else
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000;
#endif
}

static double ParseNumber(char* token) {
    char* comma = strchr(token, ',');
    if (comma != NULL) {
        *comma = '.';
    }
    return atof(token);
}

/* X and Y: ParseNumber's value, and whether the token holds one number
 * (strtod takes a character, the value is finite, no digit follows). */
static int ParseCoordinate(char* token, double* value) {
    char* comma = strchr(token, ',');
    char* end;
    if (comma != NULL) {
        *comma = '.';
    }
    *value = strtod(token, &end);
    return end != token && isfinite(*value) && strpbrk(end, "0123456789") == NULL;
}

static void CopyText(char* target, const char* token) {
    strncpy(target, token, 127);
    target[127] = '\0';
}

int main(int argc, char** argv) {
    FILE* in;
    FILE* out;
    int layout, full, count;
    double x, y;
    char separator[2];
    const char* code;
    char line[2048];
    char* tokens[5];
    char* start;
    char* token;
    char number[128], other[128];
    size_t length;
    long long started;

    if (argc != 7 || (strcmp(argv[3], "11") != 0 && strcmp(argv[3], "13") != 0) ||
        strlen(argv[4]) != 1) {
        fputs("usage: velmora_bench_baseline INPUT OUTPUT 11|13 SEPARATOR CODE DESCRIPTION\n",
              stderr);
        return 2;
    }
    started = NowMicroseconds();
    layout = atoi(argv[3]);
    full = layout == 11 ? 4 : 5;
    separator[0] = argv[4][0];
    separator[1] = '\0';
    code = argv[5];

    in = fopen(argv[1], "r");
    if (in == NULL) {
        perror(argv[1]);
        return 1;
    }
    out = fopen(argv[2], "w");
    if (out == NULL) {
        perror(argv[2]);
        return 1;
    }

    fprintf(out, "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora" EOL "# " EOL);
    if (layout == 11) {
        fprintf(out, "#%s=_code.n;_number;_X;_Y;_H" EOL, argv[6]);
    } else {
        fprintf(out, "#%s=_code.n;_number;NRI;_X;_Y;_H" EOL, argv[6]);
    }

    while (fgets(line, sizeof line, in) != NULL) {
        length = strlen(line);
        if (length > 0 && line[length - 1] == '\n') {
            line[--length] = '\0';
#ifndef _WIN32
            /* What the text stream does on Windows: CR LF reads as LF. */
            if (length > 0 && line[length - 1] == '\r') {
                line[--length] = '\0';
            }
#endif
        }
        start = line;
        while (*start == ' ' || *start == '\t') {
            ++start;
        }
        if (*start == '\0') {
            continue;
        }
        count = 0;
        for (token = strtok(start, separator); token != NULL && count < full;
             token = strtok(NULL, separator)) {
            tokens[count++] = token;
        }
        if (layout == 11) {
            if (count < 3 || !ParseCoordinate(tokens[1], &x) || !ParseCoordinate(tokens[2], &y)) {
                continue;
            }
            CopyText(number, tokens[0]);
            if (count == 4) {
                fprintf(out, "%s;%s;%.6lf;%.6lf;%.3lf" EOL, code, number, x, y,
                        ParseNumber(tokens[3]));
            } else {
                fprintf(out, "%s;%s;%.6lf;%.6lf;" EOL, code, number, x, y);
            }
        } else {
            if (count < 4 || !ParseCoordinate(tokens[2], &x) || !ParseCoordinate(tokens[3], &y)) {
                continue;
            }
            CopyText(number, tokens[0]);
            CopyText(other, tokens[1]);
            if (count == 5) {
                fprintf(out, "%s;%s;%s;%.6lf;%.6lf;%.3lf" EOL, code, number, other, x, y,
                        ParseNumber(tokens[4]));
            } else {
                fprintf(out, "%s;%s;%s;%.6lf;%.6lf;" EOL, code, number, other, x, y);
            }
        }
    }

    fputs("#KONIEC" EOL, out);
    if (ferror(in) || fclose(out) != 0) {
        perror(argv[2]);
        return 1;
    }
    fclose(in);
    fprintf(stderr, "elapsed_us=%ld\n", (long)(NowMicroseconds() - started));
    return 0;
}
