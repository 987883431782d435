// The dialogs on screen: one of each at a time, deleting and registering feeds, the about box, the proxy
// password asked on the GUI thread, and Qt's own words in Spanish.
#include "dialogs/adduserrssdlg.h"
#include "dialogs/dialogopener.h"
#include "dialogs/proxypassworddlg.h"
#include "settings/settings.h"
#include "shell/qttranslation.h"
#include "support/appservices.h"
#include "support/prefsconfig.h"
#include "support/scriptedrunner.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <QTreeWidget>

#include <thread>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

struct DialogsTest : testing::Test {
    test::TestAppServices services;
    test::ScriptedRunner runner;
    test::TestServer server;
    DialogOpener opener { DialogServices { services.app(), runner } };
};

TEST_F(DialogsTest, PreferencesAreSingleAndDeletionAndRegistrationStandAfterCancel)
{
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
        dialog.accept();
        return dialog.result();
    });
    EXPECT_FALSE(opener.preferences(nullptr));
    EXPECT_EQ(runner.titles, QStringList({ u"Tavrin - Preferencias"_s, u"Tavrin - Añadir Otro Medio"_s }));
    EXPECT_EQ(ListOtherMedia(), (QList<OtherMedium> { { u"77"_s, u"Eco"_s } }));
    ASSERT_EQ(services.boxes.asked.size(), 2u);
    const MessageBoxRequest &question = services.boxes.asked[0];
    EXPECT_EQ(std::tuple(question.text, question.icon, question.defaultButton),
              std::tuple(u"¿Desea eliminar el medio Faro?"_s, QMessageBox::Information, QMessageBox::No));
    EXPECT_EQ(services.boxes.asked[1].text, u"El medio 'Eco' se ha añadido correctamente"_s);
}

TEST_F(DialogsTest, AboutBoxShowsTheVersionOnceAndTheProxyPasswordIsAskedOnTheGuiThread)
{
    runner.scripts.push_back([&](QDialog &dialog) {
        opener.about(nullptr);
        EXPECT_EQ(dialog.findChild<QLabel *>(u"versionLabel"_s)->text(), u"Tavrin 1.0.0.10"_s);
        EXPECT_FALSE(dialog.findChild<QLabel *>(u"iconLabel"_s)->pixmap().isNull());
        return 1;
    });
    opener.about(nullptr);
    ProxyPasswordPrompt prompt(runner);
    services.http.setCredentialsProvider(&prompt);
    services.http.setProxy(QString::fromStdString(server.baseUrl()));
    server.serve("/doc", "through the proxy");
    server.requireProxyAuth("ana", "s3cret");
    runner.scripts = { [](QDialog &) { return 0; },
                       [](QDialog &dialog) {
                           EXPECT_EQ(QThread::currentThread(), qApp->thread());
                           static_cast<CProxyPasswordDlg &>(dialog).setCredentials({ u"ana"_s, u"s3cret"_s });
                           return 1;
                       } };
    for (const char *expected : { "", "through the proxy" }) { // Cancel, then OK
        QByteArray text = "unset";
        std::thread download(
            [&] { text = FetchText(services.http, u"http://tavrin.test/doc"_s, true, nullptr); });
        EXPECT_TRUE(test::waitUntil([&] { return text != "unset"; }));
        download.join();
        EXPECT_EQ(text, expected);
    }
    EXPECT_EQ(runner.titles,
              QStringList({ u"Acerca de Tavrin"_s, u"Tavrin - Contraseña del proxy"_s,
                            u"Tavrin - Contraseña del proxy"_s }));

    ASSERT_TRUE(InstallQtSpanishTranslation());
    QMessageBox box(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::Cancel);
    EXPECT_EQ((box.button(QMessageBox::Yes)->text() + box.button(QMessageBox::Cancel)->text()).remove(u'&'),
              u"SíCancelar"_s);
    delete qApp->findChild<QTranslator *>(); // the other tests keep Qt's words as they found them
}

} // namespace
} // namespace tavrin
