#include "app/PlotraApp.h"

#include "gui/AppSettings.h"
#include "gui/GuiSession.h"
#include "app/MainWindow.h"

#include "gui/Artwork.h"

#include <QApplication>
#include <QCommandLineParser>

namespace plotra::gui {

CPlotraApp::CPlotraApp() : m_session(std::make_unique<GuiSession>()) {}

CPlotraApp::~CPlotraApp() {
    m_frame.reset();
}

bool CPlotraApp::InitInstance(const QStringList& arguments, int splashMilliseconds) {
    LoadFontSettings();
    QApplication::setWindowIcon(ApplicationIcon()); // every window and dialog shows it

    m_frame = std::make_unique<CMainFrame>(*m_session);
    // The framework's first call only marks the empty project as started.
    m_session->doc().OnNewDocument();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Hovrin Analyzer: Wi-Fi site survey analysis"));
    parser.addPositionalArgument(QStringLiteral("workspace"), QStringLiteral("A project (.hws) to open."));
    // Unknown options are ignored: a desktop program started from a file manager should come up anyway.
    parser.parse(arguments);

    m_frame->show();
    // The keyboard goes to the program just started (its shortcuts work at once).
    m_frame->activateWindow();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        // A refused file has been reported by the document; the empty project stays.
        m_session->openDocument(files.first().toStdString());
    }
    if (splashMilliseconds > 0) m_frame->ShowSplash(splashMilliseconds);
    return true;
}

} // namespace plotra::gui
