// SPDX-License-Identifier: GPL-2.0-or-later
#include "StartupMeasurement.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

extern char **environ;

namespace {
long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}
} // namespace

std::optional<StartupSample> measureStartup(const QString &program, const QString &argument)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);

    const QByteArray path = program.toLocal8Bit();
    const QByteArray extra = argument.toLocal8Bit();
    char *const arguments[] = {const_cast<char *>(path.constData()),
                               argument.isEmpty() ? nullptr : const_cast<char *>(extra.constData()), nullptr};
    pid_t child = 0;
    const long long started = monotonicNanoseconds();
    const int spawned = posix_spawn(&child, path.constData(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return std::nullopt;
    }

    char buffer[64] = {};
    FILE *output = fdopen(pipeEnds[0], "r");
    const bool gotTime = output && std::fgets(buffer, sizeof buffer, output);
    if (output)
        std::fclose(output);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!gotTime || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    const long long painted = std::atoll(buffer);
    return StartupSample{double(painted - started) / 1e6, double(usage.ru_maxrss) / 1024.0};
}
