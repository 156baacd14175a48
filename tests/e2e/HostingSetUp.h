#pragma once
// What a test of a window that hosts its own table sets up first: a temporary home, a free game
// port (both through the environment the window reads) and every message box noted, not shown.

#include "support/TestEnv.h"
#include "windows/MessageBox.h"

// Qt
#include <QStringList>
#include <QTemporaryDir>

namespace pelvo::test {

struct HostingSetUp {
    QTemporaryDir home;
    const quint16 port = freePort();
    QStringList boxes;

    HostingSetUp() {
        qputenv("PELVO_PORT", QByteArray::number(port));
        qputenv("PELVO_HOME", home.path().toUtf8());
        previous_ = setMessageBoxHandler([this](QWidget*, const QString& text) { boxes << text; });
    }
    ~HostingSetUp() { setMessageBoxHandler(previous_); }
    HostingSetUp(const HostingSetUp&) = delete;
    HostingSetUp& operator=(const HostingSetUp&) = delete;

private:
    MessageBoxHandler previous_;
};

} // namespace pelvo::test
