// The dialogs on screen: one of each at a time, deleting and registering feeds, the about box, the proxy
// password asked on the GUI thread, and Qt's own words in Spanish.
#include "dialogs/adduserrssdlg.h"
#include "dialogs/dialogopener.h"
#include "dialogs/proxypassworddlg.h"
#include "settings/settings.h"
#include "shell/qttranslation.h"
#include "support/appservices.h"
#include "support/dialogfixtures.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <QTreeWidget>

#include <chrono>
#include <future>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

TEST(Dialogs, OneOfEachAtATimeFeedsDeletedAndRegisteredStayAfterCancelProxyAskedOnTheGuiThread)
{
    test::TestAppServices services;
    test::ScriptedRunner runner;
    test::TestServer server;
    DialogOpener opener { DialogServices { services.app(), runner } };
    server.serve("/alta", "<add_user_rss_result id='77'/>");
    services.config.replace(test::prefsConfig(server.url("/alta?url=@URL@")));
    ASSERT_TRUE(StoreOtherMedium({ u"9"_s, u"Faro"_s }));
    services.boxes.answer = [](const MessageBoxRequest &) { return QMessageBox::Yes; };
    runner.scripts.push_back([&](QDialog &dialog) {
        EXPECT_FALSE(opener.preferences(nullptr) || opener.openPreferences() != &dialog); // no second one
        auto *tree = dialog.findChild<QTreeWidget *>(u"sectionsTree"_s);
        tree->topLevelItem(1)->child(0)->setCheckState(0, Qt::Unchecked); // the user unchecks Faro
        EXPECT_TRUE(test::waitUntil([&] { return tree->topLevelItem(1)->childCount() == 0; }));
        dialog.findChild<QPushButton *>(u"addMediumButton"_s)->click();
        QTreeWidgetItem *added = tree->topLevelItem(1)->child(0);
        EXPECT_TRUE(added && added->text(0) == u"Eco"_s && added->checkState(0) == Qt::Checked);
        return int(QDialog::Rejected);
    });
    runner.scripts.push_back([](QDialog &dialog) {
        static_cast<CAddUserRSSDlg &>(dialog).setFields(u"Eco"_s, u"http://eco.test/rss"_s);
        return dialog.accept(), dialog.result();
    });
    EXPECT_FALSE(opener.preferences(nullptr));
    EXPECT_EQ(ListOtherMedia(), (QList<OtherMedium> { { u"77"_s, u"Eco"_s } }));
    const MessageBoxRequest &question = services.boxes.asked.at(0); // then the registration's success
    EXPECT_EQ(std::tuple(question.text, question.icon, question.defaultButton, services.boxes.asked.size()),
              std::tuple(u"¿Desea eliminar el medio Faro?"_s, QMessageBox::Information, QMessageBox::No, 2u));

    // The about box, once; the proxy asked once, on the GUI thread, for every download.
    runner.scripts.push_back([&](QDialog &dialog) {
        opener.about(nullptr);
        EXPECT_EQ(dialog.findChild<QLabel *>(u"versionLabel"_s)->text(), u"Tavrin 1.0.0.10"_s);
        EXPECT_FALSE(dialog.findChild<QLabel *>(u"iconLabel"_s)->pixmap().isNull());
        return 1;
    });
    opener.about(nullptr);
    ProxyPasswordPrompt prompt(runner);
    services.http.setCredentialsProvider(&prompt);
    server.serve("/doc", "doc");
    server.requireProxyAuth("ana", "s3cret");
    const QString doc = u"http://tavrin.test/doc"_s;
    EXPECT_EQ(FetchText(services.http, server.url("/doc"), true, nullptr),
              ""); // no proxy: a failure, no question
    services.http.setProxy(QString::fromStdString(server.baseUrl()));
    EXPECT_EQ(FetchText(services.http, doc, true, nullptr), ""); // Cancel: no script answers
    runner.scripts.push_back([](QDialog &dialog) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        static_cast<CProxyPasswordDlg &>(dialog).setCredentials({ u"ana"_s, u"s3cret"_s });
        return 1;
    });
    std::vector<std::future<QByteArray>> downloads; // four at once, each on a thread of its own
    for (int i = 0; i < 4; ++i)
        downloads.push_back(
            std::async(std::launch::async, [&] { return FetchText(services.http, doc, true, nullptr); }));
    for (auto &download : downloads) {
        EXPECT_TRUE(test::waitUntil([&] { return download.wait_for(0s) == std::future_status::ready; }));
        EXPECT_EQ(download.get(), "doc");
    }
    // The credentials go to the proxy only, never to a host reached directly.
    qputenv("no_proxy", "127.0.0.1");
    EXPECT_EQ(FetchText(services.http, server.url("/doc"), true, nullptr), "");
    EXPECT_EQ(server.lastHeader("/doc", "Proxy-Authorization"), "");
    qunsetenv("no_proxy");
    EXPECT_EQ(runner.titles.join(u'|'),
              u"Tavrin - Preferencias|Tavrin - Añadir Otro Medio|Acerca de Tavrin|"
              "Tavrin - Contraseña del proxy|Tavrin - Contraseña del proxy"_s);

    ASSERT_TRUE(InstallQtSpanishTranslation());
    QMessageBox box(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::Cancel);
    EXPECT_EQ(
        QString(box.button(QMessageBox::Yes)->text() + box.button(QMessageBox::Cancel)->text()).remove(u'&'),
        u"SíCancelar"_s);
    delete qApp->findChild<QTranslator *>(); // the other tests keep Qt's words as they found them
}

} // namespace
} // namespace tavrin
