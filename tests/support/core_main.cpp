#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("KELVRA_NO_DESKTOP_ACTIONS", "1"); // never mail or power off from a test
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
