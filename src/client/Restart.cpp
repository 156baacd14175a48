#include "client/Restart.h"

// std
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

// POSIX
#include <unistd.h>

namespace pelvo {

QStringList restartCommand(const QString& program, const RestartPlan& plan) {
    return QStringList{program} + plan.arguments;
}

bool execRestart(const QString& program, const RestartPlan& plan) {
    if (plan.port) qputenv("PELVO_PORT", QByteArray::number(*plan.port));
    std::vector<QByteArray> args;
    for (const QString& a : restartCommand(program, plan)) args.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    ::execv(argv[0], argv.data());
    return false;
}

} // namespace pelvo
