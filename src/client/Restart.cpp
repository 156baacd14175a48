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
    // Only this start watches or shows a code; a later one starts plain.
    if (plan.justWatch)
        qputenv("PELVO_JUST_WATCH", "1");
    else
        qunsetenv("PELVO_JUST_WATCH");
    if (!plan.privateCode.isEmpty())
        qputenv("PELVO_TABLE_CODE", plan.privateCode.toUtf8());
    else
        qunsetenv("PELVO_TABLE_CODE");
    if (!plan.listOnHub.isEmpty())
        qputenv("PELVO_LIST_ON_HUB", plan.listOnHub.toUtf8());
    else
        qunsetenv("PELVO_LIST_ON_HUB");
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
