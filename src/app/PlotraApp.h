#pragma once
/// \brief The desktop program's start-up (CPlotraApp): settings, the session with its document, the
/// main window, the splash, and a workspace named on the command line.

#include <QStringList>

#include <memory>

namespace plotra::gui {

class CMainFrame;
class GuiSession;

class CPlotraApp {
  public:
    /// How long the splash picture stays, in milliseconds.
    static constexpr int kSplashMilliseconds = 4000;

    /// Creates the session (and with it the document); needs a QApplication.
    CPlotraApp();
    ~CPlotraApp();
    CPlotraApp(const CPlotraApp&) = delete;
    CPlotraApp& operator=(const CPlotraApp&) = delete;

    /// Reads the font settings, creates and shows the main window with its splash, starts the empty
    /// project and opens the workspace named in \p arguments (the program's name first). A workspace
    /// that is refused has been reported; the program then goes on with the empty project. False only
    /// when the window cannot be made.
    bool InitInstance(const QStringList& arguments, int splashMilliseconds = kSplashMilliseconds);

    GuiSession& session() { return *m_session; }
    CMainFrame* mainFrame() { return m_frame.get(); }

  private:
    std::unique_ptr<GuiSession> m_session;
    std::unique_ptr<CMainFrame> m_frame; ///< destroyed before the session it shows
};

} // namespace plotra::gui
