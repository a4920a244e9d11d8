// A surveyor's afternoon in the real main window, from a new project to the exports: the program
// started as `plotra` starts it, driven only through its menus, toolbar, panel controls, mouse and
// keys, with every dialog and message box answered as they come. Each step checks what the user
// sees: widget texts and states, the graph's pixels, the files written. The last steps are the ways
// work could be lost: a drag given up, a new project cancelled, a processing that ends behind the
// table window, and Exit with unsaved changes.
//
// With PLOTRA_AFTERNOON_SHOTS naming a folder, the main window is saved there after steps 1, 3, 4,
// 6 and 9 as afternoon-step<N>.png (scripts/screenshots runs this on a real X server).
#include "DialogScript.h"

#include "gui/Commands.h"
#include "gui/GuiSession.h"
#include "app/MainWindow.h"
#include "app/PlotraApp.h"
#include "files/gui/SurveySelectDialog.h"
#include "mapview/GraphRenderer.h"
#include "mapview/gui/InfoWnd.h"
#include "mapview/gui/LegendWnd.h"
#include "mapview/gui/PlotraView.h"
#include "mapview/gui/RulerDlg.h"
#include "model/PlotraDoc.h"
#include "panel/ApTreeCtrl.h"
#include "panel/ApTreeView.h"
#include "panel/BitCheckButton.h"
#include "panel/ControlView.h"
#include "panel/ImageTextButton.h"
#include "gui/ProgressDialog.h"
#include "panel/RangeControl.h"
#include "panel/UnitDialog.h"
#include "report/gui/DialogHtmlRpt.h"
#include "report/gui/HtmlrptApnotes.h"
#include "report/gui/ReportCommand.h"
#include "report/gui/ReportFileNotes.h"
#include "support/Fixtures.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"
#include "table/gui/TableSaveOptionsDialog.h"
#include "table/gui/TableView.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTest>
#include <QToolBar>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

/// Texts in failure messages as text.
inline void PrintTo(const QString& s, std::ostream* out) {
    *out << '"' << s.toStdString() << '"';
}

namespace {

const QString kSamples = QStringLiteral(PLOTRA_SOURCE_DIR "/samples/");
/// The AP moved in step 6 (a "Campus" AP near the middle of the demo), and a place on the demo map
/// (metres) far from its strong readings and among its weak ones: refitted there, its signal would
/// not fall with distance.
const QString kMovedAp = QStringLiteral("02-A0-61-6E-00-0D");
constexpr double kRefusedY = 100.0, kRefusedX = 450.0;
/// The two groups ticked; the first holds the demo's AP with too few points.
const QString kLibrary = QStringLiteral("SSID: \"Library\"");
const QString kCampus = QStringLiteral("SSID: \"Campus\"");

std::string Str(const QString& s) {
    return s.toStdString();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Pages of a PDF file as its page tree counts them.
int PdfPages(const QString& path) {
    const QString pdf = QString::fromLatin1(ReadAll(path));
    if (!pdf.startsWith(QStringLiteral("%PDF"))) return 0;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral(R"(/Type\s*/Pages\b[^>]*?/Count\s+(\d+))")).match(pdf);
    if (m.hasMatch()) return m.captured(1).toInt();
    // The page tree may name its count before its type.
    const QRegularExpressionMatch c =
        QRegularExpression(QStringLiteral(R"(/Count\s+(\d+)[^>]*?/Type\s*/Pages\b)")).match(pdf);
    return c.hasMatch() ? c.captured(1).toInt() : -1;
}

/// The button of a dialog's button box that accepts it ("Open", "Save", "Print").
QPushButton* AcceptButton(const QDialog& d) {
    if (auto* buttons = d.findChild<QDialogButtonBox*>())
        for (QAbstractButton* b : buttons->buttons())
            if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) return qobject_cast<QPushButton*>(b);
    return nullptr;
}

/// A file dialog answered with \p path typed into its name field, after checking its title.
std::function<void(QFileDialog*)> ChooseFile(const QString& title, const QString& path) {
    return [title, path](QFileDialog* d) {
        EXPECT_EQ(Str(d->windowTitle()), Str(title));
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->clear();
        QTest::keyClicks(name, path);
        QPushButton* accept = AcceptButton(*d);
        ASSERT_NE(accept, nullptr);
        EXPECT_TRUE(accept->isEnabled()) << Str(accept->text());
        accept->click();
    };
}

/// A print dialog answered with "Print to File (PDF)" into \p path.
std::function<void(QPrintDialog*)> PrintToPdf(const QString& path) {
    return [path](QPrintDialog* d) {
        auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = d->findChild<QLineEdit*>(QStringLiteral("filename"));
        ASSERT_NE(printers, nullptr);
        ASSERT_NE(file, nullptr);
        const int pdf = printers->findText(QStringLiteral("PDF"), Qt::MatchContains);
        ASSERT_GE(pdf, 0) << "no PDF printer in the print dialog";
        printers->setCurrentIndex(pdf);
        file->clear();
        QTest::keyClicks(file, path);
        QPushButton* print = AcceptButton(*d);
        ASSERT_NE(print, nullptr);
        print->click();
    };
}

/// The texts and ticks of a tree, one line per item ("[x] text", children indented).
QStringList TreeLines(const QTreeView& tree) {
    const QAbstractItemModel& model = *tree.model();
    QStringList lines;
    auto line = [](const QModelIndex& item, const QString& indent) {
        return indent + (item.data(Qt::CheckStateRole).toInt() == Qt::Checked ? "[x] " : "[ ] ") +
               item.data().toString();
    };
    for (int g = 0; g < model.rowCount(); ++g) {
        const QModelIndex top = model.index(g, 0);
        lines << line(top, QString());
        for (int c = 0; c < model.rowCount(top); ++c)
            lines << line(model.index(c, 0, top), QStringLiteral("    "));
    }
    return lines;
}

QStringList TopTexts(const QTreeView& tree) {
    QStringList texts;
    for (int g = 0; g < tree.model()->rowCount(); ++g)
        texts << tree.model()->index(g, 0).data().toString();
    return texts;
}

QModelIndex TopItem(const QTreeView& tree, const QString& text) {
    for (int g = 0; g < tree.model()->rowCount(); ++g)
        if (tree.model()->index(g, 0).data().toString() == text) return tree.model()->index(g, 0);
    return {};
}

/// The AP row whose text starts with \p mac.
QModelIndex ApItem(const QTreeView& tree, const QString& mac) {
    const QAbstractItemModel& model = *tree.model();
    for (int g = 0; g < model.rowCount(); ++g)
        for (int c = 0; c < model.rowCount(model.index(g, 0)); ++c)
            if (model.index(c, 0, model.index(g, 0)).data().toString().startsWith(mac))
                return model.index(c, 0, model.index(g, 0));
    return {};
}

Qt::CheckState CheckOf(const QModelIndex& row) {
    return static_cast<Qt::CheckState>(row.data(Qt::CheckStateRole).toInt());
}

int ChildCount(const QModelIndex& row) {
    return row.isValid() ? row.model()->rowCount(row) : 0;
}

/// Clicks the tick box of a row of the panel's AP tree, where the tree itself hit-tests it.
void ClickTick(gui::ApTreeView& tree, const QModelIndex& row) {
    ASSERT_TRUE(row.isValid());
    tree.scrollTo(row);
    const QRect rect = tree.visualRect(row);
    for (int x = rect.left(); x <= rect.right(); ++x) {
        const QPoint p(x, rect.center().y());
        QModelIndex hit;
        if (tree.HitTest(p, &hit) == gui::ApTreeView::Hit::TickBox && hit == row) {
            QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, p);
            return;
        }
    }
    FAIL() << "no tick box on " << row.data().toString().toStdString();
}

/// Pixels of \p image with exactly the colour \p rgb.
int CountColour(const QImage& image, QRgb rgb) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
    return n;
}

/// The share of the picture that is not white.
double CoveredFraction(const QImage& image) {
    const int all = image.width() * image.height();
    return all > 0 ? 1.0 - static_cast<double>(CountColour(image, qRgb(255, 255, 255))) / all : 0.0;
}

/// Watches the progress window: how often it was shown and the texts it showed.
class ProgressWatch : public QObject {
  public:
    explicit ProgressWatch(ProgressDialog& dialog) : m_dialog(&dialog) { dialog.installEventFilter(this); }
    ~ProgressWatch() override {
        if (m_dialog) m_dialog->removeEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) ++shows;
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide || event->type() == QEvent::Paint)
            if (texts.isEmpty() || texts.back() != m_dialog->text()) texts << m_dialog->text();
        return false;
    }
    void Reset() {
        shows = 0;
        texts.clear();
    }
    int shows = 0;
    QStringList texts;

  private:
    QPointer<ProgressDialog> m_dialog;
};

/// What the user sees of a project: the window title, the AP tree, the panel's choices and fields,
/// the enabled and checked commands (one entry each), and the graph.
struct Seen {
    std::map<std::string, std::string> items;
    QImage graph;
};

/// The bits of an AP's place and model: equal only when nothing of them changed at all.
std::vector<std::uint64_t> PlaceAndModelBits(const CAPInfo& ap) {
    std::vector<double> values{ap.m_posAP.m_dX,      ap.m_posAP.m_dY,    ap.m_areaOrigin.m_dX,
                               ap.m_areaOrigin.m_dY, ap.m_areaSize.m_dX, ap.m_areaSize.m_dY,
                               ap.m_dSlope,          ap.m_dIntercept,    ap.m_dShadowStd,
                               ap.m_dGridMax,        ap.m_dGridMin};
    values.insert(values.end(), ap.m_aGrid.begin(), ap.m_aGrid.end());
    std::vector<std::uint64_t> bits;
    for (double v : values)
        bits.push_back(std::bit_cast<std::uint64_t>(v));
    for (COLORREF c : ap.m_aCoverageBitmap)
        bits.push_back(c);
    return bits;
}

/// What differs between two looks at the project, one line per difference.
std::vector<std::string> Differences(const Seen& a, const Seen& b) {
    std::vector<std::string> out;
    std::map<std::string, std::pair<std::string, std::string>> both;
    for (const auto& [k, v] : a.items)
        both[k].first = v;
    for (const auto& [k, v] : b.items)
        both[k].second = v;
    for (const auto& [k, v] : both)
        if (v.first != v.second) out.push_back(k + ": \"" + v.first + "\" then \"" + v.second + "\"");
    if (a.graph.size() != b.graph.size()) {
        out.push_back("graph size");
    } else {
        int pixels = 0;
        for (int y = 0; y < a.graph.height(); ++y)
            for (int x = 0; x < a.graph.width(); ++x)
                pixels += a.graph.pixel(x, y) != b.graph.pixel(x, y);
        if (pixels > 0) out.push_back("graph: " + std::to_string(pixels) + " pixels differ");
    }
    return out;
}

} // namespace

/// The program as `plotra` starts it, with private settings, and everything the road needs.
class Afternoon : public ::testing::Test {
  protected:
    Afternoon() {
        // As the program's main() sets them; file dialogs are Qt's own, whatever the desktop.
        std::setlocale(LC_NUMERIC, "C");
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        SetReportOpener([this](const QString& page) { openedPages << page; });
        Start();
    }
    ~Afternoon() override {
        SetReportOpener({});
        progress.reset();
        app.reset();
    }

    // ---- the program ---------------------------------------------------------------------------
    void Start() {
        app = std::make_unique<CPlotraApp>();
        ASSERT_TRUE(app->InitInstance({QStringLiteral("plotra")}, 0));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
        progress = std::make_unique<ProgressWatch>(Session().progressDialog());
        QObject::connect(&Session(), &GuiSession::jobFinished, [this](bool) { ++jobsFinished; });
    }
    /// File > Exit, and the program ends.
    void Exit() {
        progress.reset();
        Frame()->action(kCmdExit)->trigger();
        // A Yes to saving first writes the project as a job; the window closes once it is written.
        EXPECT_TRUE(WaitUntil([&] { return !Frame()->isVisible(); }, 60000));
        app.reset();
        jobsFinished = 0;
    }
    CMainFrame* Frame() { return app->mainFrame(); }
    GuiSession& Session() { return app->session(); }
    const CPlotraDoc& Doc() { return Session().doc(); }
    CControlView* Panel() { return qobject_cast<CControlView*>(Frame()->leftPane()); }
    CPlotraView* Graph() { return qobject_cast<CPlotraView*>(Frame()->rightPane()); }
    ApTreeView& Tree() { return *Named<ApTreeView>(*Panel(), QStringLiteral("165")); }
    QAction* Action(int id) { return Frame()->action(id); }
    /// The index of the AP whose MAC is \p mac, or -1.
    int ApIndex(const QString& mac) {
        for (std::size_t i = 0; i < Doc().Aps().m_aAPs.size(); ++i)
            if (QString::fromStdString(Doc().Aps().m_aAPs[i].MacText()) == mac) return static_cast<int>(i);
        return -1;
    }

    // ---- gestures ----------------------------------------------------------------------------------
    /// Gives a command as the user would: a click on its toolbar button, which must be enabled as it
    /// stands; a command of the menus only is chosen from its menu, which shows the states anew.
    void Command(int id) {
        QAction* a = Action(id);
        ASSERT_NE(a, nullptr) << id;
        if (QWidget* button = Frame()->toolBar()->widgetForAction(a)) {
            ASSERT_TRUE(button->isEnabled()) << "toolbar button " << id << " is disabled";
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
        Frame()->refreshCommands(); // as the menu does when it opens
        ASSERT_TRUE(a->isEnabled()) << "command " << id << " is not offered";
        a->trigger();
    }
    template <class T = QWidget> T* Control(const char* id) {
        T* w = Panel()->findChild<T*>(QString::fromLatin1(id));
        EXPECT_NE(w, nullptr) << "no control " << id;
        return w;
    }
    bool Visible(const char* id) { return Control(id)->isVisibleTo(Panel()); }
    /// A left click on a panel control, scrolled into view first as the user would.
    void Click(const char* id) {
        QWidget* w = Control(id);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->isVisibleTo(Panel())) << "control " << id << " is not shown";
        ASSERT_TRUE(w->isEnabled()) << "control " << id << " is disabled";
        Panel()->ensureWidgetVisible(w);
        const QPoint p = qobject_cast<QRadioButton*>(w) ? QPoint(7, w->height() / 2) : w->rect().center();
        QTest::mouseClick(w, Qt::LeftButton, {}, p);
    }
    /// Replaces the text of a panel edit by typing.
    void Type(const char* id, const QString& text) {
        auto* edit = Control<QLineEdit>(id);
        ASSERT_NE(edit, nullptr);
        Panel()->ensureWidgetVisible(edit);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    QString Text(const char* id) { return Control<QLineEdit>(id)->text(); }
    bool Checked(const char* id) {
        QWidget* w = Control(id);
        if (auto* r = qobject_cast<QRadioButton*>(w)) return r->isChecked();
        if (auto* t = qobject_cast<CBitCheckButton*>(w)) return t->IsDown();
        ADD_FAILURE() << id << " is no radio or toggle";
        return false;
    }

    QWidget* GraphArea() { return Graph()->viewport(); }
    void Mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(pos), QPointF(GraphArea()->mapToGlobal(pos)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(GraphArea(), &event);
    }
    void MoveTo(QPoint pos, Qt::MouseButtons held = Qt::NoButton) {
        Mouse(QEvent::MouseMove, pos, Qt::NoButton, held);
    }
    /// A key of the main window with Ctrl held (its menu shortcuts).
    void CtrlKey(Qt::Key key) {
        // Shortcuts go to the active window; a dialog just closed may have left none active.
        Frame()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
        // The offscreen platform, without a window manager, may keep no active widget after the
        // progress window of a job hid, although the frame's window has the focus.
        if (QApplication::activeWindow() != Frame()) {
            QT_WARNING_PUSH
            QT_WARNING_DISABLE_DEPRECATED
            QApplication::setActiveWindow(Frame());
            QT_WARNING_POP
        }
        QTest::keyClick(Frame(), key, Qt::ControlModifier);
    }
    /// Press at \p from, drag through the middle to \p to, release there.
    void Drag(QPoint from, QPoint to) {
        MoveTo(from);
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        MoveTo((from + to) / 2, Qt::LeftButton);
        MoveTo(to, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    /// The graph as the window shows it now (children such as the legend and the bubble included).
    QImage Shown() { return GraphArea()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    /// Where an AP is drawn in the graph.
    QPoint ApPixel(int ap) {
        const PixelMapping m = Graph()->mapping();
        const CDataGeo& pos = Doc().Aps().m_aAPs[static_cast<std::size_t>(ap)].m_posAP;
        return QPoint(RoundView(m.PxExact(pos.m_dX)), RoundView(m.PyExact(pos.m_dY)));
    }
    QString StatusText() { return Frame()->mousePositionPane()->text(); }

    /// Waits for the job just started to be applied; the progress window must have shown and gone.
    /// A workspace command (open, save, a recent file): the file is read or written as a job.
    void WorkspaceCommand(int id) {
        const int before = jobsFinished;
        ASSERT_NO_FATAL_FAILURE(Command(id));
        ASSERT_NO_FATAL_FAILURE(WaitForJob(before));
    }
    void WaitForJob(int finishedBefore) {
        // A job may start the next (the survey read, then processed): wait for the last.
        ASSERT_TRUE(WaitUntil([&] { return jobsFinished > finishedBefore && !Session().jobRunning(); }, 60000))
            << "the job never ended";
        EXPECT_FALSE(Session().jobRunning());
        EXPECT_GE(progress->shows, 1) << "no progress window";
        EXPECT_TRUE(WaitUntil([&] { return !Session().progressDialog().isVisible(); }, 5000));
    }

    /// Every window but the main window is closed: no dialog, bubble or progress left over.
    void ExpectOnlyTheMainWindow() {
        QStringList open;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w != Frame())
                open << QString::fromLatin1(w->metaObject()->className()) + " " + w->windowTitle();
        EXPECT_TRUE(open.isEmpty()) << Str(open.join(", "));
    }
    /// Saves the main window as afternoon-step<N>.png when asked to.
    void Shot(int step) {
        ExpectOnlyTheMainWindow();
        const QByteArray folder = qgetenv("PLOTRA_AFTERNOON_SHOTS");
        if (folder.isEmpty()) return;
        QApplication::processEvents();
        const QString file = QString::fromUtf8(folder) + QStringLiteral("/afternoon-step%1.png").arg(step);
        EXPECT_TRUE(Frame()->grab().save(file)) << Str(file);
    }
    /// Nothing unexpected came up, and every message shown was one of \p expected (in order).
    void ExpectMessages(const std::vector<std::string>& expected) {
        EXPECT_EQ(dialogs.TakeMessages(), expected);
        EXPECT_EQ(dialogs.TakeFailures(), std::vector<std::string>{});
        EXPECT_EQ(dialogs.answers.size(), 0u) << "answers left over: a question never came";
        dialogs.answers.clear();
    }

    /// What the user sees of the project now.
    Seen Look() {
        Seen s;
        s.items["title"] = Str(Frame()->windowTitle());
        const QStringList tree = TreeLines(Tree());
        for (int i = 0; i < tree.size(); ++i)
            s.items["tree " + std::to_string(i)] = Str(tree[i]);
        for (const char* id : {"161", "163", "173", "174", "176", "178", "180"})
            s.items[std::string("radio ") + id] = Checked(id) ? "on" : "off";
        for (const char* id : {"132", "229", "134", "221", "142", "143", "141", "183"})
            s.items[std::string("toggle ") + id] = std::to_string(Control<CBitCheckButton>(id)->GetCheck());
        for (const char* id : {"103", "107", "108", "109", "1020", "1021", "114", "115", "124", "125", "148"})
            s.items[std::string("edit ") + id] = Str(Text(id));
        // The reliability results show four decimals when computed, and the six digits of the number
        // kept when a project is opened: the same value either way.
        for (const char* id : {"153", "156", "151"}) {
            bool number = false;
            const double v = Text(id).toDouble(&number);
            s.items[std::string("edit ") + id] = number ? Str(QString::number(v, 'f', 4)) : Str(Text(id));
        }
        for (const char* id :
             {"144", "171", "101", "103", "165", "174", "169", "176", "190", "141", "140", "136"})
            s.items[std::string("shown ") + id] = Visible(id) ? "yes" : "no";
        s.items["graph header"] = Str(Control<CImageTextButton>("169")->text());
        auto* contour = Control<CRangeControl>("140");
        s.items["contour"] = std::to_string(contour->LowValue()) + ".." +
                             std::to_string(contour->HighValue()) + " of " +
                             std::to_string(contour->Minimum()) + ".." + std::to_string(contour->Maximum()) +
                             " " + Str(contour->Unit());
        Frame()->refreshCommands();
        for (int id : {kCmdShowMap, kCmdShowDirections, kCmdInfoWindow, kCmdShowLegend, kCmdMoveAp, kCmdRuler,
                       kCmdZoomIn, kCmdZoomOut, kCmdCreateKml, kCmdCreateReport, kCmdTableWindow,
                       kCmdGraphWindow, kCmdSaveTableAs})
            s.items["command " + std::to_string(id)] =
                std::string(Action(id)->isEnabled() ? "enabled" : "disabled") +
                (Action(id)->isChecked() ? ", checked" : "");
        s.graph = Shown();
        return s;
    }

    // ---- the road ------------------------------------------------------------------------------------
    void NewProject();
    void GroupsAndTicks();
    void PlotCoverage();
    void InformationWindow();
    void Ruler();
    void MoveAnAp();
    void Reliability();
    void SaveCloseAndReopen();
    void Exports();
    void TableAndBack();
    void DragGivenUp();
    void NewProjectKept();
    void ProcessingBehindTheTable();
    void ExitWithUnsavedChanges();

    SettingsSandbox settings;
    TempDir out;
    DialogScript dialogs;
    std::unique_ptr<CPlotraApp> app;
    std::unique_ptr<ProgressWatch> progress;
    int jobsFinished = 0;
    QStringList openedPages;
    // Carried from step to step.
    QString tooFewMac; ///< the AP with too few points
    int movedAp = -1;  ///< the AP moved in step 6
    Seen beforeTable;  ///< the project as seen before the table window
    QString workspace; ///< the saved project
};

// 1. New Project asks for a map first: Yes, the map; New Project again, both survey files merged;
//    the processing runs behind its progress window; the tree shows the APs grouped by SSID.
void Afternoon::NewProject() {
    // A new window: no project, so nothing unsaved.
    EXPECT_EQ(Str(Frame()->windowTitle()), "Hovrin[*] - Hovrin Analyzer");
    EXPECT_FALSE(Frame()->isWindowModified());
    dialogs.answers = {true};
    dialogs.Expect<QFileDialog>("map file dialog",
                                ChooseFile(QStringLiteral("Open a hpf file"), kSamples + "demo.hpf"));
    const int beforeMap = jobsFinished;
    Command(kCmdNewProject);
    ASSERT_NO_FATAL_FAILURE(WaitForJob(beforeMap)); // the map is read as a job
    ExpectMessages(
        {"No Projection File: No projection file is detected. Do you want to input projection file "
         "first?"});
    EXPECT_EQ(Str(Frame()->windowTitle()), "demo.hpf[*] - Hovrin Analyzer");
    EXPECT_TRUE(Action(kCmdShowMap)->isEnabled());
    EXPECT_TRUE(Action(kCmdShowMap)->isChecked());
    EXPECT_EQ(Str(Action(kCmdRecentFile)->text()), "&1 " + Str(kSamples) + "demo.hpf");
    const QImage map = Shown();
    EXPECT_GT(CoveredFraction(map), 0.5) << "the map is not drawn";
    EXPECT_FALSE(Action(kCmdTableWindow)->isEnabled()); // no survey data yet

    // The survey files: demo1 chosen, demo2 added; merge off and on again; OK.
    QStringList chosen, treeAfterAdd;
    bool mergeOfferedForOne = true, mergeOffered = false, mergeOn = false, mergeOffAfterClick = true;
    dialogs.Expect<CHSDSelectDialog>("survey file selection", [&](CHSDSelectDialog* s) {
        EXPECT_EQ(Str(s->windowTitle()), "Select the Hovrin Survey Data File ");
        auto* select = Named<QPushButton>(*s, QStringLiteral("1080"));
        auto* merge = Named<QCheckBox>(*s, QStringLiteral("1090"));
        auto* chosenPath = Named<QLineEdit>(*s, QStringLiteral("1081"));
        dialogs.Expect<QFileDialog>("first survey file",
                                    ChooseFile(QStringLiteral("Open"), kSamples + "demo1.hsd"));
        QTest::mouseClick(select, Qt::LeftButton);
        chosen << chosenPath->text();
        mergeOfferedForOne = merge->isEnabled();
        EXPECT_EQ(select->text(), QStringLiteral("Add"));
        dialogs.Expect<QFileDialog>("second survey file",
                                    ChooseFile(QStringLiteral("Open"), kSamples + "demo2.hsd"));
        QTest::mouseClick(select, Qt::LeftButton);
        chosen << chosenPath->text();
        treeAfterAdd = TreeLines(*s->tree());
        mergeOffered = merge->isEnabled();
        mergeOn = merge->isChecked();
        QTest::mouseClick(merge, Qt::LeftButton, {}, QPoint(6, merge->height() / 2));
        mergeOffAfterClick = !merge->isChecked();
        QTest::mouseClick(merge, Qt::LeftButton, {}, QPoint(6, merge->height() / 2));
        EXPECT_TRUE(merge->isChecked());
        QTest::mouseClick(Named<QPushButton>(*s, QStringLiteral("1")), Qt::LeftButton);
    });
    progress->Reset();
    const int before = jobsFinished;
    Command(kCmdNewProject);
    EXPECT_EQ(chosen, (QStringList{kSamples + "demo1.hsd", kSamples + "demo2.hsd"}));
    EXPECT_EQ(treeAfterAdd, (QStringList{"[ ] Selected Files", "    [x] " + kSamples + "demo1.hsd",
                                         "    [x] " + kSamples + "demo2.hsd"}));
    EXPECT_FALSE(mergeOfferedForOne);
    EXPECT_TRUE(mergeOffered);
    EXPECT_TRUE(mergeOn);
    EXPECT_TRUE(mergeOffAfterClick);
    // The processing runs as a job: the window stays usable meanwhile.
    EXPECT_TRUE(Session().jobRunning());
    EXPECT_TRUE(Frame()->isEnabled());
    ASSERT_NO_FATAL_FAILURE(WaitForJob(before));
    EXPECT_TRUE(progress->texts.contains(QStringLiteral("Process 15 out of 15 APs....")))
        << Str(progress->texts.join(QStringLiteral(" | ")));
    ExpectMessages({});

    // The sections can be opened now; the AP tree is grouped by SSID: one group per network name,
    // the 15 APs of the merged walk below them.
    EXPECT_FALSE(Visible("103"));
    EXPECT_FALSE(Visible("165"));
    Click("144");
    Click("171");
    EXPECT_TRUE(Checked("161"));
    EXPECT_FALSE(Checked("163"));
    const QStringList groups = TopTexts(Tree());
    QStringList sorted = groups;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{"SSID: \"Cafe\"", "SSID: \"Campus\"", "SSID: \"Guest\"",
                                   "SSID: \"Guest-1\"", "SSID: \"Lab-Net\"", "SSID: \"Library\"",
                                   "SSID: \"Plotra-Campus-Network-Thirty-Two\""}));
    int aps = 0;
    for (int g = 0; g < Tree().model()->rowCount(); ++g)
        aps += Tree().model()->rowCount(Tree().model()->index(g, 0));
    EXPECT_EQ(aps, 15);
    EXPECT_EQ(ChildCount(TopItem(Tree(), kCampus)), 4);
    EXPECT_EQ(ChildCount(TopItem(Tree(), kLibrary)), 3);
    // The measured area is shown; the table of the points can be opened now.
    EXPECT_TRUE(Visible("103"));
    EXPECT_FALSE(Text("103").isEmpty());
    EXPECT_TRUE(Action(kCmdTableWindow)->isEnabled());
    EXPECT_TRUE(Visible("190"));
    EXPECT_NE(Shown(), map) << "the walk is not drawn over the map";
    EXPECT_TRUE(Frame()->isWindowModified()) << "a new project is not marked unsaved";
    Shot(1);
}

// 2. By channel and back; two groups ticked, one of them with an AP of too few points.
void Afternoon::GroupsAndTicks() {
    const QStringList bySsid = TopTexts(Tree());
    Click("163");
    EXPECT_TRUE(Checked("163"));
    EXPECT_FALSE(Checked("161"));
    QStringList byChannel = TopTexts(Tree());
    byChannel.sort();
    EXPECT_EQ(byChannel, (QStringList{"Channel 1", "Channel 11", "Channel 3", "Channel 6", "Channel 9"}));
    Click("161");
    EXPECT_TRUE(Checked("161"));
    EXPECT_EQ(TopTexts(Tree()), bySsid);

    // The document knows which AP has 20 working points or fewer: its group gives the message.
    int tooFew = -1;
    for (std::size_t i = 0; i < Doc().Aps().m_aAPs.size(); ++i)
        if (Doc().Aps().m_aAPs[i].m_aApPoints.size() <= 20) {
            EXPECT_EQ(tooFew, -1) << "more than one AP with too few points";
            tooFew = static_cast<int>(i);
        }
    ASSERT_GE(tooFew, 0);
    const CAPInfo& weak = Doc().Aps().m_aAPs[static_cast<std::size_t>(tooFew)];
    tooFewMac = QString::fromStdString(weak.MacText());
    const QModelIndex weakItem = ApItem(Tree(), tooFewMac);
    ASSERT_TRUE(weakItem.isValid());
    const QModelIndex weakGroup = weakItem.parent();
    ASSERT_TRUE(weakGroup.isValid());
    EXPECT_EQ(weakGroup.data().toString(), kLibrary);
    for (const QString& line : TreeLines(Tree()))
        EXPECT_TRUE(line.startsWith("[ ]") || line.startsWith("    [ ]")) << "ticked already: " << Str(line);

    const QImage untouched = Shown();
    ClickTick(Tree(), weakGroup);
    char count[16];
    std::snprintf(count, sizeof count, "% d, ", static_cast<int>(weak.m_aApPoints.size()));
    ExpectMessages({"Invalid AP: No enough points for this AP: \n\n N,\tMAC\n " + std::string(count) +
                    Str(tooFewMac) + "\n \n\n N: Number of Points "});
    ClickTick(Tree(), TopItem(Tree(), kCampus));
    ExpectMessages({});
    for (const QString& group : {kLibrary, kCampus}) {
        const QModelIndex item = TopItem(Tree(), group);
        ASSERT_TRUE(item.isValid());
        EXPECT_EQ(CheckOf(item), Qt::Checked) << Str(group);
        for (int c = 0; c < ChildCount(item); ++c)
            EXPECT_EQ(CheckOf(item.model()->index(c, 0, item)), Qt::Checked)
                << Str(item.model()->index(c, 0, item).data().toString());
    }
    EXPECT_EQ(CheckOf(TopItem(Tree(), QStringLiteral("SSID: \"Cafe\""))), Qt::Unchecked);
    EXPECT_NE(Shown(), untouched) << "the ticked APs are not drawn";
}

// 3. Plot Coverage (the weak AP dropped on the way), then the graphs and contours.
void Afternoon::PlotCoverage() {
    EXPECT_FALSE(Visible("169")); // no graph choice before a coverage
    dialogs.answers = {true};
    progress->Reset();
    const int before = jobsFinished;
    const QImage ticked = Shown();
    Click("190");
    ASSERT_NO_FATAL_FAILURE(WaitForJob(before));
    ExpectMessages({"Invalid AP: No enough points for the following AP: \n " + Str(tooFewMac) +
                    ", Library \n \n "
                    "Remove it in the processing?"});
    EXPECT_EQ(CheckOf(ApItem(Tree(), tooFewMac)), Qt::Unchecked) << "the weak AP is not dropped";
    EXPECT_TRUE(Control("190")->isEnabled());
    ASSERT_TRUE(Visible("169"));
    EXPECT_EQ(Str(Control<CImageTextButton>("169")->text()), "Signal Power");
    const QImage power = Shown();
    EXPECT_NE(power, ticked);

    // The graph choice closes its section; the header opens it again.
    auto openGraphChoice = [&] {
        if (!Visible("176")) Click("169");
        ASSERT_TRUE(Visible("176"));
    };
    ASSERT_NO_FATAL_FAILURE(openGraphChoice());
    Click("176");
    EXPECT_TRUE(Checked("176"));
    EXPECT_EQ(Str(Control<CImageTextButton>("169")->text()), "Signal Power");
    EXPECT_EQ(Str(Control<CRangeControl>("140")->Unit()), "dBm");

    // Multiple contours: areas and lines in the level colours, the overlay choice off meanwhile.
    EXPECT_FALSE(Checked("141"));
    Click("141");
    EXPECT_TRUE(Checked("141"));
    EXPECT_FALSE(Control("183")->isEnabled());
    const QImage contours = Shown();
    EXPECT_NE(contours, power);

    // The legend lies over the top-right corner and shows the picture's own legend.
    Command(kCmdShowLegend);
    EXPECT_TRUE(Action(kCmdShowLegend)->isChecked());
    QWidget* legend = Graph()->legendWindow();
    ASSERT_TRUE(WaitUntil([&] { return legend->isVisible(); }, 5000)) << "no legend after the repaint";
    EXPECT_EQ(legend->geometry().right(), GraphArea()->width() - 1);
    EXPECT_EQ(legend->geometry().top(), 0);
    EXPECT_EQ(legend->grab().toImage().convertToFormat(QImage::Format_RGB32),
              GraphPictureOf(Doc()).convertToFormat(QImage::Format_RGB32).copy(legend->geometry()));

    // The SNR graph: the panel never shows its choice, so only its (hidden) radio can pick it.
    EXPECT_FALSE(Visible("178"));
    Control<QRadioButton>("178")->click();
    EXPECT_EQ(Str(Control<CImageTextButton>("169")->text()), "Signal-to-Noise Ratio");
    EXPECT_EQ(Str(Control<CRangeControl>("140")->Unit()), "dB");
    const QImage snr = Shown();
    EXPECT_NE(snr, contours);

    // Number of APs: palette colours by count.
    ASSERT_NO_FATAL_FAILURE(openGraphChoice());
    Click("180");
    EXPECT_TRUE(Checked("180"));
    EXPECT_FALSE(Checked("176"));
    EXPECT_EQ(Str(Control<CImageTextButton>("169")->text()), "Number of Overlay APs");
    EXPECT_EQ(Str(Control<CRangeControl>("140")->Unit()), "");
    const QImage count = Shown();
    EXPECT_NE(count, snr);

    // A single contour: multiple contours off, the slider's low thumb to two APs.
    Click("141");
    EXPECT_FALSE(Checked("141"));
    const QImage plain = Shown();
    auto* slider = Control<CRangeControl>("140");
    Panel()->ensureWidgetVisible(slider);
    EXPECT_EQ(slider->Minimum(), 1);
    EXPECT_EQ(slider->Maximum(), 10);
    const int toX = static_cast<int>(slider->LowThumbX() + slider->Scale() * 1.5);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(slider->LowThumbX() + 3, 15));
    QMouseEvent drag(QEvent::MouseMove, QPointF(toX + 3, 15), slider->mapToGlobal(QPointF(toX + 3, 15)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &drag);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(toX + 3, 15));
    EXPECT_GT(slider->LowValue(), 1);
    const QImage single = Shown();
    EXPECT_NE(single, plain) << "no single contour drawn";
    ExpectMessages({});
    Shot(3);
}

// 4. The information window over a covered point; the status bar.
void Afternoon::InformationWindow() {
    Command(kCmdInfoWindow);
    EXPECT_TRUE(Action(kCmdInfoWindow)->isChecked());
    // Beside a ticked AP with its marker: covered by it, and not its marker.
    int ap = -1;
    for (std::size_t i = 0; i < Doc().Aps().m_aAPs.size() && ap < 0; ++i)
        if (Doc().Aps().m_aAPs[i].m_bSelected && Doc().Aps().m_aAPs[i].m_aApPoints.size() >= 80)
            ap = static_cast<int>(i);
    ASSERT_GE(ap, 0);
    const QPoint at = ApPixel(ap) + QPoint(12, 9);
    CInfoWnd* bubble = Graph()->infoWindow();
    MoveTo(at);
    ASSERT_TRUE(WaitUntil([&] { return bubble->isVisible(); }, 10000)) << "no bubble";
    const std::string text = Str(bubble->text());
    EXPECT_NE(text.find(Doc().Aps().m_aAPs[static_cast<std::size_t>(ap)].MacText()), std::string::npos)
        << text;
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(\d selected APs? covers? this point)"))
                    .match(bubble->text())
                    .hasMatch())
        << text;
    EXPECT_EQ(text.find("No selected AP"), std::string::npos) << text;
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\(X = -?[\d.]+, Y = -?[\d.]+, \d+ APs\)$)"))
                    .match(StatusText())
                    .hasMatch())
        << Str(StatusText());
    Shot(4);
    // The next move hides it; the window switched off stays quiet.
    MoveTo(at + QPoint(1, 0));
    EXPECT_FALSE(bubble->isVisible());
    Command(kCmdInfoWindow);
    EXPECT_FALSE(Action(kCmdInfoWindow)->isChecked());
}

// 5. The ruler in metres, then in feet after "Select the metric".
void Afternoon::Ruler() {
    auto selectMetric = [&](int line) {
        dialogs.Expect<CUnitDialog>("metric selection", [line](CUnitDialog* d) {
            EXPECT_EQ(Str(Named<QLabel>(*d, QStringLiteral("metricLabel"))->text()), "Metric Selection");
            auto* combo = Named<QComboBox>(*d, QStringLiteral("1079"));
            QTest::keyClick(combo, line == CUnitDialog::kMeter ? Qt::Key_Down : Qt::Key_Up);
            EXPECT_EQ(combo->currentIndex(), line);
            QTest::mouseClick(Named<QPushButton>(*d, QStringLiteral("1")), Qt::LeftButton);
        });
        Command(kCmdSelectMetric);
        ExpectMessages({});
    };
    auto areaLabel = [&] {
        for (QLabel* l : Panel()->findChildren<QLabel*>())
            if (l->text().startsWith(QStringLiteral("Area Size in"))) return Str(l->text());
        return std::string();
    };
    struct Reading {
        std::string labels, label;
        double distance = -1, calculated = -1;
    };
    const QPoint centre(GraphArea()->width() / 2, GraphArea()->height() / 2);
    const QPoint a = centre - QPoint(120, 50), b = centre + QPoint(90, 70);
    auto measure = [&] {
        Reading r;
        Command(kCmdRuler);
        EXPECT_TRUE(Action(kCmdRuler)->isChecked());
        dialogs.Expect<CRulerDlg>("ruler", [&r](CRulerDlg* d) {
            EXPECT_EQ(Str(d->windowTitle()), "Ruler");
            r.labels = Str(d->field(1082)->text() + d->field(1084)->text() + d->field(1083)->text() +
                           d->field(1085)->text());
            r.label = Str(d->field(1066)->text());
            r.distance = d->field(1022)->text().toDouble();
            // "Calculation" measures the points as the dialog shows them.
            QTest::mouseClick(d->calculationButton(), Qt::LeftButton);
            r.calculated = d->field(1022)->text().toDouble();
            QTest::mouseClick(Named<QPushButton>(*d, QStringLiteral("1")), Qt::LeftButton);
        });
        Drag(a, b);
        EXPECT_FALSE(Action(kCmdRuler)->isChecked()) << "the ruler measures once";
        ExpectMessages({});
        return r;
    };

    EXPECT_EQ(areaLabel(), "Area Size in Feet:");
    selectMetric(CUnitDialog::kMeter);
    EXPECT_EQ(areaLabel(), "Area Size in Meter:");
    const Reading metres = measure();
    EXPECT_EQ(metres.labels, "YXYX"); // planar coordinates on the map
    EXPECT_EQ(metres.label, "Distance (Meter)");
    EXPECT_GT(metres.distance, 10.0);
    EXPECT_LT(metres.distance, 1000.0);
    EXPECT_NEAR(metres.calculated, metres.distance, 0.01);

    selectMetric(CUnitDialog::kFeet);
    EXPECT_EQ(areaLabel(), "Area Size in Feet:");
    const Reading feet = measure();
    EXPECT_EQ(feet.label, "Distance (Feet)");
    EXPECT_NEAR(feet.distance, metres.distance / 0.3048, 1e-4 * feet.distance);
    EXPECT_NEAR(feet.calculated, feet.distance, 0.01);
}

// 6. An AP moved where its model would not fall with distance (refused), then nearby (refitted).
void Afternoon::MoveAnAp() {
    // The AP markers on; the AP chosen in the tree, which shows where it is and its model.
    if (!Checked("134")) Click("134");
    EXPECT_TRUE(Checked("134"));
    movedAp = -1;
    for (std::size_t i = 0; i < Doc().Aps().m_aAPs.size(); ++i)
        if (QString::fromStdString(Doc().Aps().m_aAPs[i].MacText()) == kMovedAp)
            movedAp = static_cast<int>(i);
    ASSERT_GE(movedAp, 0);
    const CAPInfo& ap = Doc().Aps().m_aAPs[static_cast<std::size_t>(movedAp)];
    const QModelIndex item = ApItem(Tree(), QString::fromStdString(ap.MacText()));
    ASSERT_TRUE(item.isValid());
    ASSERT_EQ(CheckOf(item), Qt::Checked);
    ClickTick(Tree(), item);
    ClickTick(Tree(), ApItem(Tree(), QString::fromStdString(ap.MacText())));
    ExpectMessages({});
    ASSERT_TRUE(Visible("114"));
    const QString y = Text("114"), x = Text("115"), exponent = Text("124"), shadowing = Text("125");
    EXPECT_FALSE(y.isEmpty());
    EXPECT_FALSE(exponent.isEmpty());

    // Dropped on a place that gives a slope above -10: refused and put back.
    Command(kCmdMoveAp);
    EXPECT_TRUE(Action(kCmdMoveAp)->isChecked());
    const CDataGeo home = ap.m_posAP;
    const PixelMapping m = Graph()->mapping();
    const QPoint refused(RoundView(m.PxExact(kRefusedX)), RoundView(m.PyExact(kRefusedY)));
    ASSERT_TRUE(GraphArea()->rect().contains(refused));
    Drag(ApPixel(movedAp), refused);
    ExpectMessages({"Invalid Position: This AP position results in wrong progation parameters."});
    EXPECT_FALSE(Action(kCmdMoveAp)->isChecked());
    EXPECT_EQ(Text("114"), y);
    EXPECT_EQ(Text("115"), x);
    EXPECT_EQ(Text("124"), exponent);
    EXPECT_EQ(ap.m_posAP.m_dX, home.m_dX);
    EXPECT_EQ(ap.m_posAP.m_dY, home.m_dY);

    // Dropped a little way off: refitted there.
    Command(kCmdMoveAp);
    const QPoint from = ApPixel(movedAp);
    Drag(from, from + QPoint(14, -10));
    ExpectMessages({});
    EXPECT_FALSE(Action(kCmdMoveAp)->isChecked());
    EXPECT_NE(Text("114"), y);
    EXPECT_NE(Text("115"), x);
    EXPECT_NE(Text("124"), exponent) << "the model was not refitted";
    EXPECT_EQ(ApPixel(movedAp), from + QPoint(14, -10));
    (void)shadowing;
    Shot(6);
}

// 7. Reliability of the ticked group at a radius, and the radius for a probability.
void Afternoon::Reliability() {
    if (!Visible("174")) Click("101");
    ASSERT_TRUE(Visible("174"));
    Click("174");
    EXPECT_TRUE(Checked("174"));
    EXPECT_FALSE(Checked("173"));
    // The ticked APs with fewer than 80 points are named each time.
    std::string listed;
    int few = 0;
    for (const CAPInfo& ap : Doc().Aps().m_aAPs)
        if (ap.m_bSelected && ap.m_aApPoints.size() < 80) {
            listed += ap.MacText() + ", " + ap.SsidText() + " \n";
            ++few;
        }
    std::vector<std::string> named;
    if (few > 0)
        named.push_back(std::string("Invalid AP: No enough points for the following AP") +
                        (few > 1 ? "s" : "") + ": \n " + listed + " \n");

    const QImage before = Shown();
    Type("148", QStringLiteral("-80"));
    Type("153", QStringLiteral("150"));
    Click("150");
    ExpectMessages(named);
    const QRegularExpression probability(QStringLiteral(R"(^[01]\.\d{4}$)"));
    EXPECT_TRUE(probability.match(Text("156")).hasMatch()) << Str(Text("156"));
    EXPECT_TRUE(probability.match(Text("151")).hasMatch()) << Str(Text("151"));
    EXPECT_EQ(Text("153"), QStringLiteral("150"));
    EXPECT_NE(Shown(), before) << "no cell radius drawn";
    const QString cellAtRadius = Text("151");

    Type("156", QStringLiteral("0.9"));
    Click("149");
    ExpectMessages(named);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d+\.\d{4}$)")).match(Text("153")).hasMatch())
        << Str(Text("153"));
    EXPECT_GT(Text("153").toDouble(), 0.0);
    EXPECT_EQ(Text("156"), QStringLiteral("0.9"));
    EXPECT_NE(Text("151"), cellAtRadius);

    // The coverage again, for the project as the AP stands now.
    progress->Reset();
    const int finished = jobsFinished;
    Click("190");
    ASSERT_NO_FATAL_FAILURE(WaitForJob(finished));
    ExpectMessages({});
    EXPECT_TRUE(Visible("169"));
}

// 8. Exit with the afternoon's work unsaved asks first (Cancel stays); saved, which names the
//    project; closed, opened again: the same project.
void Afternoon::SaveCloseAndReopen() {
    Seen saved = Look();
    EXPECT_TRUE(Frame()->isWindowModified());
    dialogs.answers = {QMessageBox::Cancel};
    Command(kCmdExit);
    ExpectMessages({"Hovrin Analyzer: Save changes to Hovrin?"});
    EXPECT_TRUE(Frame()->isVisible()) << "Cancel closed the window";
    EXPECT_TRUE(Frame()->isWindowModified());
    EXPECT_EQ(Differences(saved, Look()), std::vector<std::string>{});

    workspace = QString::fromStdString(out.File("afternoon.hws"));
    dialogs.Expect<QFileDialog>("save project", ChooseFile(QStringLiteral("Save work space"), workspace));
    WorkspaceCommand(kCmdSaveProjectAs);
    ExpectMessages({});
    ASSERT_TRUE(QFile::exists(workspace));
    // Saving names the project: the title, without the unsaved mark, and the recent files.
    EXPECT_EQ(Str(Frame()->windowTitle()), "afternoon.hws[*] - Hovrin Analyzer");
    EXPECT_FALSE(Frame()->isWindowModified());
    EXPECT_EQ(Str(Action(kCmdRecentFile)->text()), "&1 " + Str(workspace));
    saved.items["title"] = Str(Frame()->windowTitle());

    // Nothing unsaved: Exit asks nothing.
    Exit();
    ExpectMessages({});
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(Tree().model()->rowCount(), 0);
    EXPECT_EQ(Str(Frame()->windowTitle()), "Hovrin[*] - Hovrin Analyzer");
    EXPECT_FALSE(Frame()->isWindowModified());
    EXPECT_EQ(Str(Action(kCmdRecentFile)->text()), "&1 " + Str(workspace));
    dialogs.Expect<QFileDialog>("open project", ChooseFile(QStringLiteral("Open a HWS file"), workspace));
    WorkspaceCommand(kCmdOpenProject);
    ExpectMessages({});
    EXPECT_EQ(Str(Frame()->windowTitle()), "afternoon.hws[*] - Hovrin Analyzer");
    EXPECT_FALSE(Frame()->isWindowModified()) << "a project just opened is marked unsaved";
    EXPECT_EQ(Differences(saved, Look()), std::vector<std::string>{});

    // The workspace still heads the recent files of the next start.
    Exit();
    ExpectMessages({});
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(Str(Action(kCmdRecentFile)->text()), "&1 " + Str(workspace));
    WorkspaceCommand(kCmdRecentFile);
    ExpectMessages({});
    EXPECT_FALSE(Frame()->isWindowModified());
    EXPECT_EQ(Differences(saved, Look()), std::vector<std::string>{});
}

// 9. The report with notes, KML, the graph image, the table file, both printouts.
void Afternoon::Exports() {
    // The report: all files with their notes, the ticked APs with theirs.
    const QString page = QString::fromStdString(out.File("afternoon.html"));
    dialogs.Expect<QFileDialog>("report page", ChooseFile(QStringLiteral("Save As"), page));
    dialogs.Expect<CDialogHtmlRpt>("report options", [](CDialogHtmlRpt* d) {
        EXPECT_EQ(Str(d->windowTitle()), "Html Report Options");
        for (int id = 1099; id <= 1104; ++id) {
            QCheckBox* box = d->box(id);
            ASSERT_NE(box, nullptr) << id;
            EXPECT_TRUE(box->isEnabled()) << id;
        }
        QTest::mouseClick(Named<QPushButton>(*d, QStringLiteral("1")), Qt::LeftButton);
    });
    QStringList filePositions, apPositions;
    dialogs.Expect<CReportFileNotes>("file notes", [&](CReportFileNotes* f) {
        auto* notes = Named<QPlainTextEdit>(*f, QStringLiteral("1108"));
        filePositions << Named<QLineEdit>(*f, QStringLiteral("1107"))->text();
        QTest::keyClicks(notes, QStringLiteral("North wing, second floor"));
        QTest::mouseClick(Named<QPushButton>(*f, QStringLiteral("1120")), Qt::LeftButton);
        filePositions << Named<QLineEdit>(*f, QStringLiteral("1107"))->text();
        QTest::keyClicks(notes, QStringLiteral("Car park & loop"));
        QTest::mouseClick(Named<QPushButton>(*f, QStringLiteral("1")), Qt::LeftButton);
    });
    dialogs.Expect<CHtmlrptApnotes>("AP notes", [&](CHtmlrptApnotes* a) {
        apPositions << Named<QLineEdit>(*a, QStringLiteral("1110"))->text();
        QTest::keyClicks(Named<QLineEdit>(*a, QStringLiteral("1113")), QStringLiteral("17"));
        QTest::keyClicks(Named<QPlainTextEdit>(*a, QStringLiteral("1118")),
                         QStringLiteral("Ceiling <mount>"));
        QTest::mouseClick(Named<QPushButton>(*a, QStringLiteral("1123")), Qt::LeftButton);
        apPositions << Named<QLineEdit>(*a, QStringLiteral("1110"))->text();
        QTest::keyClicks(Named<QPlainTextEdit>(*a, QStringLiteral("1118")),
                         QStringLiteral("Mast on the roof"));
        QTest::mouseClick(Named<QPushButton>(*a, QStringLiteral("1")), Qt::LeftButton);
    });
    dialogs.answers = {false, true};
    progress->Reset();
    int finished = jobsFinished;
    Command(kCmdCreateReport);
    ASSERT_NO_FATAL_FAILURE(WaitForJob(finished));
    ExpectMessages({"Show Files: Show Selected Files Only?", "Show APs: Show Selected APs Only?"});
    int ticked = 0;
    for (const CAPInfo& ap : Doc().Aps().m_aAPs)
        ticked += ap.m_bSelected ? 1 : 0;
    EXPECT_EQ(filePositions, (QStringList{"1 out of 2 files", "2 out of 2 files"}));
    EXPECT_EQ(apPositions, (QStringList{QStringLiteral("1 out of %1 APs").arg(ticked),
                                        QStringLiteral("2 out of %1 APs").arg(ticked)}));
    EXPECT_EQ(openedPages, QStringList{page});
    const QString html = QString::fromUtf8(ReadAll(page));
    for (const char* note : {"North wing, second floor", "Car park &amp; loop", "Ceiling &lt;mount&gt;",
                             "Mast on the roof", "\"Center\"> 17</td>"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(note))) << note;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(out.File("afternoon/bmp2.bmp"))));

    // KML: with the map hidden, the graph as a ground overlay.
    Command(kCmdShowMap);
    EXPECT_FALSE(Action(kCmdShowMap)->isChecked());
    const QString kml = QString::fromStdString(out.File("campus.kml"));
    // The KML file's dialog has no title of its own: Qt's "Save As" shows.
    dialogs.Expect<QFileDialog>("KML file", ChooseFile(QStringLiteral("Save As"), kml));
    Command(kCmdCreateKml);
    ExpectMessages({});
    EXPECT_TRUE(ReadAll(kml).contains("<href> campus/overlay.bmp </href>"));
    EXPECT_EQ(
        QImage(QString::fromStdString(out.File("campus/overlay.bmp"))).convertToFormat(QImage::Format_RGB32),
        Shown());
    Command(kCmdShowMap);
    EXPECT_TRUE(Action(kCmdShowMap)->isChecked());

    // The graph image is what the window shows.
    const QString bmp = QString::fromStdString(out.File("graph.bmp"));
    dialogs.Expect<QFileDialog>("graph image",
                                ChooseFile(QStringLiteral("Save picture as a Bitmap file"), bmp));
    Command(kCmdSaveGraphImage);
    ExpectMessages({});
    EXPECT_TRUE(ReadAll(bmp).startsWith("BM"));
    EXPECT_EQ(QImage(bmp).convertToFormat(QImage::Format_RGB32), Shown());

    // The graph printed into a PDF file: one page.
    const QString graphPdf = QString::fromStdString(out.File("graph.pdf"));
    dialogs.Expect<QPrintDialog>("print the graph", PrintToPdf(graphPdf));
    Command(kCmdPrint);
    ASSERT_TRUE(WaitUntil([&] { return !Session().jobRunning(); }, 60000)); // painted as a job
    ExpectMessages({});
    EXPECT_EQ(PdfPages(graphPdf), 1);

    // The table window: the text file and the printout.
    beforeTable = Look();
    Command(kCmdTableWindow);
    auto* table = qobject_cast<CTableView*>(Frame()->rightPane());
    ASSERT_NE(table, nullptr);
    const int rows = table->model()->rowCount();
    EXPECT_GT(rows, 2000);
    EXPECT_EQ(Str(StatusText()), std::to_string(Doc().Survey().m_aDataPoints.size()) + " Points, 15 APs");
    const QString text = QString::fromStdString(out.File("table.txt"));
    dialogs.Expect<CTableSaveOptionsDialog>("table options", [](CTableSaveOptionsDialog* d) {
        EXPECT_EQ(Str(d->windowTitle()), "Save Table Options");
        QTest::mouseClick(Named<QPushButton>(*d, QStringLiteral("1")), Qt::LeftButton);
    });
    dialogs.Expect<QFileDialog>("table file", ChooseFile(QStringLiteral("Save As"), text));
    const int exporting = jobsFinished;
    Command(kCmdSaveTableAs);
    ASSERT_NO_FATAL_FAILURE(WaitForJob(exporting)); // written as a job
    ExpectMessages({});
    const QList<QByteArray> lines = ReadAll(text).split('\n');
    ASSERT_GT(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("MAC")) << lines[0].toStdString();
    EXPECT_GE(lines.size(), rows + 1);

    const QString tablePdf = QString::fromStdString(out.File("table.pdf"));
    dialogs.Expect<QPrintDialog>("print the table", PrintToPdf(tablePdf));
    Command(kCmdPrint);
    ExpectMessages({});
    EXPECT_GT(PdfPages(tablePdf), 2);
    Shot(9);
}

// 10. The table window and back: what the graph window showed comes back.
void Afternoon::TableAndBack() {
    // While the table is shown the panel keeps only its headers and the graph's commands wait.
    EXPECT_FALSE(Visible("103"));
    EXPECT_FALSE(Visible("165"));
    EXPECT_FALSE(Visible("190"));
    EXPECT_FALSE(Visible("169"));
    Frame()->refreshCommands();
    for (int id : {kCmdRuler, kCmdZoomIn, kCmdMoveAp, kCmdInfoWindow, kCmdCreateKml, kCmdCreateReport})
        EXPECT_FALSE(Action(id)->isEnabled()) << id;
    EXPECT_TRUE(Action(kCmdGraphWindow)->isEnabled());
    Command(kCmdGraphWindow);
    ASSERT_NE(Graph(), nullptr);
    // The new graph window takes its place in the next layout pass.
    EXPECT_TRUE(WaitUntil([&] { return GraphArea()->size() == beforeTable.graph.size(); }, 5000))
        << GraphArea()->width() << "x" << GraphArea()->height();
    EXPECT_EQ(Differences(beforeTable, Look()), std::vector<std::string>{});
    ExpectMessages({});
}

// 11. An AP drag given up by a right click: the AP where it was, to the bit, and saved there.
void Afternoon::DragGivenUp() {
    // The report's notes are saved first, so that the next save can only differ by the drag.
    WorkspaceCommand(kCmdSaveProject);
    ExpectMessages({});
    EXPECT_FALSE(Frame()->isWindowModified());
    const QByteArray saved = ReadAll(workspace);
    ASSERT_FALSE(saved.isEmpty());

    if (!Checked("134")) Click("134");
    const int ap = ApIndex(kMovedAp);
    ASSERT_GE(ap, 0);
    const std::vector<std::uint64_t> model =
        PlaceAndModelBits(Doc().Aps().m_aAPs[static_cast<std::size_t>(ap)]);
    ASSERT_TRUE(Visible("114"));
    const QString y = Text("114"), x = Text("115"), exponent = Text("124"), shadowing = Text("125");
    const QImage home = Shown();

    Command(kCmdMoveAp);
    ASSERT_TRUE(Action(kCmdMoveAp)->isChecked());
    const QPoint from = ApPixel(ap), to = from + QPoint(40, 25);
    MoveTo(from);
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    MoveTo(from + QPoint(20, 12), Qt::LeftButton);
    MoveTo(to, Qt::LeftButton);
    EXPECT_NE(Shown(), home) << "the AP is not carried";
    // The right button during the drag, then the left one let go.
    Mouse(QEvent::MouseButtonPress, to, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::RightButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    ExpectMessages({}); // neither a refusal nor the icon options
    // Only the drag was given up: the mode stays for another try.
    EXPECT_TRUE(Action(kCmdMoveAp)->isChecked());
    EXPECT_EQ(PlaceAndModelBits(Doc().Aps().m_aAPs[static_cast<std::size_t>(ap)]), model);
    EXPECT_EQ(ApPixel(ap), from);
    EXPECT_EQ(Text("114"), y);
    EXPECT_EQ(Text("115"), x);
    EXPECT_EQ(Text("124"), exponent);
    EXPECT_EQ(Text("125"), shadowing);
    EXPECT_EQ(Shown(), home) << "the AP is not shown where it was";
    EXPECT_FALSE(Frame()->isWindowModified()) << "a drag given up changed the project";
    Command(kCmdMoveAp);
    EXPECT_FALSE(Action(kCmdMoveAp)->isChecked());

    WorkspaceCommand(kCmdSaveProject);
    ExpectMessages({});
    EXPECT_EQ(ReadAll(workspace), saved) << "the save after the drag wrote another project";
}

// 12. New Project over the open project, Ctrl+N: its unsaved edit saved first; the selection shows
//     the project's files ticked; two files added and unticked, Delete removes the ticked ones and
//     leaves nothing to accept; Cancel keeps the open project as it was.
void Afternoon::NewProjectKept() {
    const QString cafe = QStringLiteral("SSID: \"Cafe\"");
    ClickTick(Tree(), TopItem(Tree(), cafe));
    ExpectMessages({});
    ASSERT_EQ(CheckOf(TopItem(Tree(), cafe)), Qt::Checked);
    EXPECT_TRUE(Frame()->isWindowModified()) << "the tick is not marked unsaved";
    const Seen before = Look();

    const QString north = QString::fromStdString(out.File("north.hsd"));
    const QString south = QString::fromStdString(out.File("south.hsd"));
    ASSERT_TRUE(QFile::copy(kSamples + "demo1.hsd", north));
    ASSERT_TRUE(QFile::copy(kSamples + "demo2.hsd", south));
    QStringList listed, added, unticked, left;
    bool showShown = false, showEnabled = true, okAtOnce = false, okLeft = true, deleteLeft = true,
         mergeLeft = true;
    std::string selectText;
    dialogs.Expect<CHSDSelectDialog>("survey files of the open project", [&](CHSDSelectDialog* s) {
        auto* show = Named<QPushButton>(*s, QStringLiteral("1088"));
        auto* select = Named<QPushButton>(*s, QStringLiteral("1080"));
        auto* ok = Named<QPushButton>(*s, QStringLiteral("1"));
        listed = TreeLines(*s->tree());
        showShown = show->isVisible();
        showEnabled = show->isEnabled();
        okAtOnce = ok->isEnabled();
        selectText = Str(select->text());
        dialogs.Expect<QFileDialog>("third survey file", ChooseFile(QStringLiteral("Open"), north));
        QTest::mouseClick(select, Qt::LeftButton);
        dialogs.Expect<QFileDialog>("fourth survey file", ChooseFile(QStringLiteral("Open"), south));
        QTest::mouseClick(select, Qt::LeftButton);
        added = TreeLines(*s->tree());
        for (const QString& path : {north, south}) {
            QTreeWidgetItem* root = s->tree()->topLevelItem(0);
            ASSERT_NE(root, nullptr);
            for (int c = 0; c < root->childCount(); ++c)
                if (root->child(c)->text(0) == path) ClickTick(*s->tree(), root->child(c));
        }
        unticked = TreeLines(*s->tree());
        QTest::mouseClick(Named<QPushButton>(*s, QStringLiteral("1087")), Qt::LeftButton);
        left = TreeLines(*s->tree());
        okLeft = ok->isEnabled();
        deleteLeft = Named<QPushButton>(*s, QStringLiteral("1087"))->isEnabled();
        mergeLeft = Named<QCheckBox>(*s, QStringLiteral("1090"))->isEnabled();
        QTest::mouseClick(Named<QPushButton>(*s, QStringLiteral("2")), Qt::LeftButton);
    });
    dialogs.answers = {true, true};
    const int savingFirst = jobsFinished;
    CtrlKey(Qt::Key_N);
    // The Yes writes the project as a job; the selection comes once it is written.
    ASSERT_NO_FATAL_FAILURE(WaitForJob(savingFirst));
    ASSERT_TRUE(WaitUntil([&] { return !left.isEmpty(); }, 10000)) << "no selection after the save";
    ExpectMessages(
        {"Hovrin Analyzer: Save changes to afternoon.hws?", "Delete Files: Delete Selected Files?"});
    EXPECT_FALSE(Frame()->isWindowModified()) << "Yes did not save";
    const QByteArray saved = ReadAll(workspace);

    const QString demo1 = "    [x] " + kSamples + "demo1.hsd", demo2 = "    [x] " + kSamples + "demo2.hsd";
    EXPECT_EQ(listed, (QStringList{"[ ] Selected Files", demo1, demo2}));
    EXPECT_TRUE(showShown);
    EXPECT_FALSE(showEnabled) << "the files are shown already";
    EXPECT_TRUE(okAtOnce);
    EXPECT_EQ(selectText, "Add");
    EXPECT_EQ(added,
              (QStringList{"[ ] Selected Files", demo1, demo2, "    [x] " + north, "    [x] " + south}));
    EXPECT_EQ(unticked,
              (QStringList{"[ ] Selected Files", demo1, demo2, "    [ ] " + north, "    [ ] " + south}));
    EXPECT_EQ(left, (QStringList{"[ ] Selected Files", "    [ ] " + north, "    [ ] " + south}));
    EXPECT_FALSE(okLeft) << "OK with no file ticked";
    EXPECT_FALSE(deleteLeft);
    EXPECT_FALSE(mergeLeft);

    // The open project as it was, and saved as it was.
    EXPECT_EQ(Differences(before, Look()), std::vector<std::string>{});
    EXPECT_FALSE(Frame()->isWindowModified());
    const int saving = jobsFinished;
    CtrlKey(Qt::Key_S);
    ASSERT_NO_FATAL_FAILURE(WaitForJob(saving)); // written as a job
    ExpectMessages({});
    EXPECT_EQ(ReadAll(workspace), saved);
}

// 13. The project processed anew, first in the graph window, then again with the table window shown
//     while the job runs: back in the graph window, the same as without the table.
void Afternoon::ProcessingBehindTheTable() {
    auto acceptFiles = [](CHSDSelectDialog* s) {
        QTest::mouseClick(Named<QPushButton>(*s, QStringLiteral("1")), Qt::LeftButton);
    };
    dialogs.Expect<CHSDSelectDialog>("survey files, processed again", acceptFiles);
    progress->Reset();
    int finished = jobsFinished;
    Command(kCmdNewProject);
    ASSERT_NO_FATAL_FAILURE(WaitForJob(finished));
    ExpectMessages({});
    const Seen processed = Look();
    EXPECT_EQ(processed.items.at("command " + std::to_string(kCmdTableWindow)), "enabled");
    EXPECT_TRUE(Frame()->isWindowModified());

    // The same again (its result not worth saving), the table shown while the job runs.
    dialogs.answers = {false};
    dialogs.Expect<CHSDSelectDialog>("survey files, processed behind the table", acceptFiles);
    progress->Reset();
    finished = jobsFinished;
    Command(kCmdNewProject);
    ASSERT_TRUE(Session().jobRunning());
    Command(kCmdTableWindow);
    ASSERT_NE(qobject_cast<CTableView*>(Frame()->rightPane()), nullptr);
    ASSERT_TRUE(Session().jobRunning()) << "the result came before the table window";
    ASSERT_NO_FATAL_FAILURE(WaitForJob(finished));
    // A new project has no workspace of its own yet: the question names the document.
    ExpectMessages({"Hovrin Analyzer: Save changes to Hovrin?"});
    Command(kCmdGraphWindow);
    ASSERT_NE(Graph(), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return GraphArea()->size() == processed.graph.size(); }, 5000));
    EXPECT_EQ(Differences(processed, Look()), std::vector<std::string>{});

    // As with data: the sections open, the table window opens and closes again.
    Click("144");
    Click("171");
    EXPECT_TRUE(Visible("103"));
    EXPECT_FALSE(Text("103").isEmpty());
    EXPECT_TRUE(Visible("165"));
    int aps = 0;
    for (int g = 0; g < Tree().model()->rowCount(); ++g)
        aps += Tree().model()->rowCount(Tree().model()->index(g, 0));
    EXPECT_EQ(aps, 15);
    const QSize graphSize = GraphArea()->size();
    Command(kCmdTableWindow);
    auto* table = qobject_cast<CTableView*>(Frame()->rightPane());
    ASSERT_NE(table, nullptr);
    // As a user's next click would, the switch back comes after the table took its place.
    ASSERT_TRUE(WaitUntil([&] { return table->width() == graphSize.width(); }, 5000)) << table->width();
    EXPECT_GT(table->model()->rowCount(), 2000);
    Command(kCmdGraphWindow);
    ASSERT_NE(Graph(), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return GraphArea()->size() == graphSize; }, 5000))
        << GraphArea()->width() << "x" << GraphArea()->height() << " panel " << Panel()->width();
    EXPECT_TRUE(Visible("165"));
    ExpectMessages({});
}

// 14. Exit with an unsaved tick: Cancel keeps the window and the tick; Yes saves it, and the
//     workspace opened again holds it.
void Afternoon::ExitWithUnsavedChanges() {
    const int ap = ApIndex(kMovedAp);
    ASSERT_GE(ap, 0);
    const QModelIndex item = ApItem(Tree(), kMovedAp);
    ASSERT_TRUE(item.isValid());
    ASSERT_EQ(CheckOf(item), Qt::Unchecked);
    ClickTick(Tree(), item);
    ExpectMessages({});
    ASSERT_TRUE(Doc().Aps().m_aAPs[static_cast<std::size_t>(ap)].m_bSelected);
    Seen ticked = Look();

    dialogs.answers = {QMessageBox::Cancel};
    Command(kCmdExit);
    ExpectMessages({"Hovrin Analyzer: Save changes to Hovrin?"});
    ASSERT_TRUE(Frame()->isVisible()) << "Cancel closed the window";
    EXPECT_TRUE(Frame()->isWindowModified());
    EXPECT_EQ(Differences(ticked, Look()), std::vector<std::string>{});

    // Yes: the new project is saved under a name of its own (never over the workspace it replaced).
    dialogs.answers = {true};
    workspace = QString::fromStdString(out.File("ticked.hws"));
    dialogs.Expect<QFileDialog>("save the new project",
                                ChooseFile(QStringLiteral("Save work space"), workspace));
    Exit();
    ExpectMessages({"Hovrin Analyzer: Save changes to Hovrin?"});
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(Str(Action(kCmdRecentFile)->text()), "&1 " + Str(workspace));
    WorkspaceCommand(kCmdRecentFile);
    ExpectMessages({});
    ASSERT_GE(ApIndex(kMovedAp), 0);
    EXPECT_TRUE(Doc().Aps().m_aAPs[static_cast<std::size_t>(ApIndex(kMovedAp))].m_bSelected);
    EXPECT_EQ(Str(Frame()->windowTitle()), "ticked.hws[*] - Hovrin Analyzer");
    EXPECT_FALSE(Frame()->isWindowModified());
    Seen opened = Look();
    opened.items["title"] = ticked.items["title"];
    // Without a coverage the contour slider is hidden, and its thumbs are neither saved nor read.
    EXPECT_EQ(ticked.items["shown 140"], "no");
    opened.items.erase("contour");
    ticked.items.erase("contour");
    EXPECT_EQ(Differences(ticked, opened), std::vector<std::string>{});
}

TEST_F(Afternoon, FromANewProjectToTheExports) {
    ASSERT_NO_FATAL_FAILURE(NewProject());
    ASSERT_NO_FATAL_FAILURE(GroupsAndTicks());
    ASSERT_NO_FATAL_FAILURE(PlotCoverage());
    ASSERT_NO_FATAL_FAILURE(InformationWindow());
    ASSERT_NO_FATAL_FAILURE(Ruler());
    ASSERT_NO_FATAL_FAILURE(MoveAnAp());
    ASSERT_NO_FATAL_FAILURE(Reliability());
    ASSERT_NO_FATAL_FAILURE(SaveCloseAndReopen());
    ASSERT_NO_FATAL_FAILURE(Exports());
    ASSERT_NO_FATAL_FAILURE(TableAndBack());
    ASSERT_NO_FATAL_FAILURE(DragGivenUp());
    ASSERT_NO_FATAL_FAILURE(NewProjectKept());
    ASSERT_NO_FATAL_FAILURE(ProcessingBehindTheTable());
    ASSERT_NO_FATAL_FAILURE(ExitWithUnsavedChanges());
    EXPECT_EQ(dialogs.TakeFailures(), std::vector<std::string>{});
}
