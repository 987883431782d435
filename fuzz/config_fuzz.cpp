// libFuzzer target: the configuration loader over arbitrary document bytes.
#include "config/configloader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Validation reads the user's feeds from the settings store: point it at a private, empty folder.
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/tavrin-fuzz-XXXXXX"));
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()).constData(), 1);
    ::setenv("XDG_DATA_HOME", QFile::encodeName(folder.path()).constData(), 1);
    static std::unique_ptr<QCoreApplication> app(new QCoreApplication(*argc, *argv));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    tavrin::ClientConfig config;
    QString reason;
    const bool accepted = tavrin::LoadConfigurationText(text, config, &reason);
    // A rejection always names its rule; an acceptance never leaves the required fields empty.
    if (!accepted && reason.isEmpty()) {
        std::abort();
    }
    if (accepted && (config.url.isEmpty() || config.sections.isEmpty() || config.main_width < 1)) {
        std::abort();
    }
    return 0;
}
