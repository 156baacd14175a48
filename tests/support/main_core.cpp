#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // A test never searches the network for tables: only this machine is asked (programs the
    // tests start inherit it).
    qputenv("PELVO_DISCOVERY_ADDRESS", "127.0.0.1");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
