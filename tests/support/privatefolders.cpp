// Per-test private XDG folders.
#include "privatefolders.h"

#include <QDir>

#include <cstdlib>

namespace tavrin::test {

namespace {
QString g_root;

void setFolder(const char *variable, const QString &path)
{
    QDir().mkpath(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ::setenv(variable, QFile::encodeName(path).constData(), 1);
}
} // namespace

void PrivateFoldersListener::OnTestStart(const testing::TestInfo &)
{
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tavrin-test-XXXXXX"));
    g_root = m_dir->path();
    setFolder("XDG_CONFIG_HOME", g_root + QStringLiteral("/config"));
    setFolder("XDG_DATA_HOME", g_root + QStringLiteral("/data"));
    setFolder("XDG_RUNTIME_DIR", g_root + QStringLiteral("/runtime"));
    setFolder("XDG_CACHE_HOME", g_root + QStringLiteral("/cache"));
    setFolder("HOME", g_root + QStringLiteral("/home"));
}

void PrivateFoldersListener::OnTestEnd(const testing::TestInfo &)
{
    m_dir.reset();
    g_root.clear();
}

QString PrivateFoldersListener::root()
{
    return g_root;
}

void installPrivateFolders()
{
    testing::UnitTest::GetInstance()->listeners().Append(new PrivateFoldersListener);
}

} // namespace tavrin::test
