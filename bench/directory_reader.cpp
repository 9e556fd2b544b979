// SPDX-License-Identifier: GPL-2.0-or-later
// The reference of the game-folder rows: a plain C++ program that reads the
// directory bytes of every archive in one folder with pread, as a reader of
// names must, and takes nothing out of them. Prints how many bytes it read.
//
// directory_reader --run RESULT PROGRAM ARGS... runs a program and writes
// its time from start to end in milliseconds and its peak resident size in
// KiB to RESULT. The benchmark runs every timed process through it: a child
// that the benchmark itself started would be charged the benchmark's own
// peak, which the kernel counts at exec.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

uint32_t u32(const unsigned char *at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

bool endsWith(const std::string &name, const char *suffix)
{
    const size_t size = std::strlen(suffix);
    return name.size() >= size && name.compare(name.size() - size, size, suffix) == 0;
}

} // namespace

int run(char *result, char *program[])
{
    timespec start = {};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t child = fork();
    if (child == 0) {
        execv(program[0], program);
        _exit(127);
    }
    int status = 0;
    rusage usage = {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return 1;
    timespec end = {};
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double milliseconds =
        double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6;
    FILE *out = std::fopen(result, "w");
    if (!out)
        return 1;
    std::fprintf(out, "%.3f %ld\n", milliseconds, usage.ru_maxrss);
    std::fclose(out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int main(int argc, char *argv[])
{
    if (argc > 3 && std::strcmp(argv[1], "--run") == 0)
        return run(argv[2], argv + 3);
    if (argc != 2)
        return 2;
    DIR *dir = opendir(argv[1]);
    if (!dir)
        return 1;
    std::vector<unsigned char> buffer;
    long long total = 0;
    while (const dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const bool pak = endsWith(name, ".pak");
        if (!pak && !endsWith(name, ".pk3") && !endsWith(name, ".pkz"))
            continue;
        const int fd = openat(dirfd(dir), name.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info = {};
        if (fd < 0 || fstat(fd, &info) != 0)
            return 1;
        off_t offset = 0;
        size_t length = 0;
        if (pak) {
            unsigned char header[12];
            if (pread(fd, header, 12, 0) != 12)
                return 1;
            offset = u32(header + 4);
            length = u32(header + 8);
            total += 12;
        } else {
            // The end record: 22 bytes and a comment of at most 65,535.
            const size_t tail = std::min<off_t>(info.st_size, 22 + 65535);
            buffer.resize(tail);
            if (pread(fd, buffer.data(), tail, info.st_size - off_t(tail)) != ssize_t(tail))
                return 1;
            total += off_t(tail);
            size_t at = tail - 22;
            while (at > 0 && u32(buffer.data() + at) != 0x06054b50)
                --at;
            length = u32(buffer.data() + at + 12);
            offset = u32(buffer.data() + at + 16);
        }
        buffer.resize(length);
        if (pread(fd, buffer.data(), length, offset) != ssize_t(length))
            return 1;
        total += off_t(length);
        close(fd);
    }
    closedir(dir);
    std::printf("%lld\n", total);
    return 0;
}
