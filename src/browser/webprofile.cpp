// The shared web profile of the panes and the handler that stops command links at the network layer.
#include "browser/webprofile.h"

#include "base/files.h"
#include "base/paths.h"
#include "browser/schemes.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlSchemeHandler>

namespace tavrin {

namespace {

// Command and mail links are handled by the navigation filter; one that gets this far (a subresource, a
// frame) is refused quietly instead of leaving the pane on an error page.
class LinkSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        job->fail(QWebEngineUrlRequestJob::RequestAborted);
    }
};

QWebEngineProfile *createProfile()
{
    auto *profile = new QWebEngineProfile(QStringLiteral("tavrin"), QCoreApplication::instance());
    const QString folder = DataFolder() + QStringLiteral("webengine/");
    EnsureDirectory(folder);
    profile->setPersistentStoragePath(folder + QStringLiteral("storage"));
    profile->setCachePath(folder + QStringLiteral("cache"));

    QWebEngineSettings *settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // Composed pages live in the private temporary folder: they may use the publisher's remote
    // images, styles and scripts, but must not read any other local file.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    // The engine itself hands an address of a scheme it does not know (smb:, a desktop program's own) to
    // the desktop whenever a click on it is let through, a frame's for instance. Refused here, such a link
    // opens nothing; mailto: is registered, so its clicks reach the filter and the reader's mail program.
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    for (const QByteArray &scheme : LinkSchemes())
        profile->installUrlSchemeHandler(scheme, new LinkSchemeHandler(profile));
    return profile;
}

} // namespace

QWebEngineProfile *SharedWebProfile()
{
    static QWebEngineProfile *const profile = createProfile();
    return profile;
}

} // namespace tavrin
