// Entry of the core tests: a QCoreApplication and private folders for each test.
#include "support/privatefolders.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    tavrin::test::installPrivateFolders();
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
