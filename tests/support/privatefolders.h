// Gives every test fresh settings, data, runtime and cache folders, so no test touches the user's files.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace tavrin::test {

// Points XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_RUNTIME_DIR, XDG_CACHE_HOME and HOME at
// subfolders of a new temporary folder before each test and removes it after.
class PrivateFoldersListener : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo &info) override;
    void OnTestEnd(const testing::TestInfo &info) override;

    // The root of the current test's private folders.
    static QString root();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// Installs the listener; call once from main after InitGoogleTest.
void installPrivateFolders();

} // namespace tavrin::test
