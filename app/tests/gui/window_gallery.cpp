// Pictures of every window of the program in English and Russian on the emulated board, for the
// README and for looking at the windows as an operator does: `window_gallery` writes
// <window>-en.png and <window>-ru.png into $ZORVANL_GALLERY_DIR (default: the current directory).
#include <QTabWidget>

#include "config/options.h"
#include "gui_fixture.h"
#include "tools/service.h"
#include "tools/setup.h"

namespace gui_test {

class WindowGallery : public QObject {
    Q_OBJECT

 private slots:
    void everyWindowInBothLanguages() {
        ProgramDirectory dir;
        Program program(dir);
        const QString out = qEnvironmentVariable("ZORVANL_GALLERY_DIR", ".");
        // The service window with its Registers tab revealed, as service staff see it.
        fmService->show();
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(fmService, Qt::Key_Left, Qt::ShiftModifier);
        fmService->hide();
        for (int language : {0, 1}) {
            // As the settings window's Apply does: the language in force, then the texts.
            current_language = static_cast<std::uint8_t>(language);
            fmMain->ApplyLanguage();
            for (const char* name : {"fmMain", "Form1", "fmSweep", "fmSine", "fmUserINIDialog", "fmVerInf",
                                     "fmSetup", "fmService"}) {
                QWidget* window = ProgramWindow(name);
                QVERIFY(window);
                const bool wasVisible = window->isVisible();
                window->show();
                QCoreApplication::processEvents();
                QList<QTabWidget*> tabs = window->findChildren<QTabWidget*>();
                const int pages = tabs.isEmpty() ? 1 : tabs.front()->count();
                for (int page = 0; page < pages; ++page) {
                    if (!tabs.isEmpty()) tabs.front()->setCurrentIndex(page);
                    QCoreApplication::processEvents();
                    const QString file = QString("%1/%2%3-%4.png")
                                             .arg(out, name, page ? QString("-%1").arg(page + 1) : QString(),
                                                  language ? "ru" : "en");
                    QVERIFY2(window->grab().save(file), qPrintable(file));
                }
                if (!wasVisible) window->hide();
            }
        }
    }
};

}  // namespace gui_test

QTEST_MAIN(gui_test::WindowGallery)
#include "window_gallery.moc"
