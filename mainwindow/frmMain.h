#pragma once
// The program's home window: the folder tree, the six folder lists, the preview, the menus,
// toolbar and pop-up menu, the status bar; it opens the application database at start and
// compacts it at exit. It is also the UiSink through which all logic talks to the user.
//
// Positions of the layout are kept in twips (1/1440 inch) relative to the client area below
// the menu bar, as the stored settings hold them; panes are placed in pixels from them.

#include "core/Services.h"
#include "core/UiSink.h"
#include "folders/Selection.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QProgressBar;
class QTabWidget;
class QTextBrowser;
class QTextEdit;
class QToolBar;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace vt {
class Clock;
class Settings;
}  // namespace vt

namespace vt::integrator {
class frmIntegrator;
}

namespace vt::mainwindow {

class FolderModel;
class MainWindowSteps;
class ReportHost;
class SplitterBar;
class frmColumns;
class frmProperties;

class frmMain : public QMainWindow, public core::UiSink {
    Q_OBJECT
public:
    frmMain(Settings& settings, const Clock& clock, QWidget* parent = nullptr);
    ~frmMain() override;

    // Builds the tree and lists, restores the layout, opens the database (asking for its folder
    // while the file is missing) and fills the six lists; call it once, before the first show.
    // False when the program must end: the window has then been unloaded and must not be shown.
    bool Form_Load();
    // Saves the layouts, closes the other windows and the connection, compacts the database.
    // Runs once: from the close event, or from the load when the program ends there.
    void Form_Unload();
    bool isLoaded() const { return loaded_; }
    bool isUnloaded() const { return unloaded_; }

    const core::Services& services() const { return services_; }

    // ---- Public operations ----
    // Refills a folder list ("Inbox" ... "Exchange") from its table. Asked for while a refresh
    // runs, it runs once when that refresh is over.
    void RefreshBox(std::string_view table);
    // Rebuilds the header row of an X12 list from the "Columns" choice.
    void CreateColumns(std::string_view table);
    // "save" or "load" (any case) the column widths and sort state of a list.
    void ListViewLayout(std::string_view action, std::string_view table);
    // "save" or "load" (any case) the window's place, bars, tree nodes and splitters.
    void MainLayout(std::string_view action);
    // Places every pane from the client size, the splitter positions and the View switches.
    void Form_Resize();
    // Enables or disables the commands that need a selected item.
    void SetCommandState(bool enable);
    // Shows (or hides) the sort arrow of order 0 (up) or 1 (down) on a column header of a list.
    void ShowHeaderIcon(std::string_view table, int column, int order, bool show);
    // Tools > Validate on a transaction-set list; Tools > Generate Acknowledgement on the Inbox.
    void ValidateBox(std::string_view table);
    void GenerateAcknowledgement();
    // Reports of a transaction-set list's unique selection ("Inbox", "Outbox", "Sent",
    // "Recycled"); see mainwindow/Reports.h. True when the report step ran.
    bool ExportReport(std::string_view table, bool unattended);
    bool PrintReport(std::string_view table, bool unattended);
    bool ViewReport(std::string_view table);
    // Mode 0 view, 1 print, 2 export the plug-in's report; True when the plug-in answered True.
    bool ActiveX(std::string_view table, int mode);
    // Where reports go: the engine for export and print, frmReport and frmDesign for the rest.
    ReportHost& reportHost();
    // Edit > Selection Filter on a transaction-set list.
    void SelectionFilter(std::string_view table);
    // The selected items of a list, counted.
    int CountSelected(std::string_view table) const;
    // What operations need of a list: its ids in list order, the selection and the current item.
    folders::FolderSelection folderSelection(std::string_view table) const;
    // Selects exactly the rows flagged in `selection`; the current item stays where it is.
    void applySelection(const folders::FolderSelection& selection);

    // ---- Events, callable by key or caption as the controls raise them ----
    void tvwFolderList_NodeClick(std::string_view key);
    void tvwFolderList_Collapse(std::string_view key);
    void tbrToolbar_ButtonClick(std::string_view caption);
    void tbrToolbar_ButtonMenuClick(std::string_view key);
    // Events of the folder lists (table "Inbox" ... "Exchange"). Column positions count from 0.
    void lvw_ColumnClick(std::string_view table, int column);
    void lvw_ItemClick(std::string_view table, int row);
    // Button as the mouse reports it (1 left, 2 right); `at` is the pointer in the list's viewport.
    void lvw_MouseDown(std::string_view table, int button, const QPoint& at);
    // Key codes as the keyboard reports them: 46 Delete, 116 F5.
    void lvw_KeyDown(std::string_view table, int keyCode);
    // Mouse events of the splitter bars: button as the mouse reports it (1 left, 2 right,
    // 4 middle), position relative to the bar in twips.
    void picVSplit_MouseDown(int button, double x, double y);
    void picVSplit_MouseMove(int button, double x, double y);
    void picVSplit_MouseUp(int button, double x, double y);
    void picHSplit_MouseDown(int button, double x, double y);
    void picHSplit_MouseMove(int button, double x, double y);
    void picHSplit_MouseUp(int button, double x, double y);

    // Runs a menu command's click handler by its control name ("mnuExit", "mnuPopupValidate",
    // ...), as the toolbar and pop-up menu do; runs also when the menu entry is disabled.
    void runCommand(std::string_view name);
    void mnuExit_Click();
    void mnuRefresh_Click();
    void mnuFolderBar_Click();
    void mnuStatusBar_Click();
    void mnuPrintSetup_Click();
    void mnuHelpContents_Click();
    // The printer that Print Setup chose for this run ("" the default printer) and, when it chose
    // printing to a file, that file.
    struct PrinterChoice {
        std::string printerName;
        std::string outputFile;
        bool operator==(const PrinterChoice&) const = default;
    };
    const PrinterChoice& printerChoice() const { return printer_; }

    // ---- UiSink ----
    void status(int panel, std::string_view text) override;
    void progress(int value, int max) override;
    void clearProgress() override;
    void yield() override;
    int messageBox(std::string_view text, int style, std::string_view title) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
    std::optional<std::filesystem::path> chooseFolder(std::string_view title,
                                                      const std::filesystem::path& start) override;
    std::vector<std::filesystem::path> openFiles(std::string_view title, std::string_view filter,
                                                 const std::filesystem::path& folder, bool multiSelect) override;
    void folderChanged(std::string_view table) override;
    int appendHistoryItem(const core::HistoryItem& item) override;
    void setFolderNodeText(std::string_view table, std::string_view text) override;
    bool unattended() const override { return false; }

    // ---- Parts of the window, for the windows and tests that work with them ----
    FolderModel* folderModel(std::string_view table) const;
    QTreeView* folderList(std::string_view table) const;
    QTreeWidget* folderTree() const { return tvwFolderList_; }
    QTreeWidgetItem* folderNode(std::string_view key) const;
    // The key of the selected tree node, "" when none.
    std::string selectedNodeKey() const;
    QAction* commandAction(std::string_view name) const;
    // The Integrator window, while it is open.
    integrator::frmIntegrator* integratorWindow() const;
    QMenu* popupMenu() const { return mnuPopup_; }
    QToolBar* toolbar() const { return tbrToolbar_; }
    std::string statusText(int panel) const;
    std::string messageText() const;
    bool messageShown() const;
    std::string previewText() const;
    QTextEdit* previewPane() const { return rtfTSet_; }
    // The preview is in the edit state: bold and writable.
    bool previewEditing() const;
    std::string folderBarText() const;
    bool previewShown() const;
    bool welcomeShown() const;

    // Layout state in twips.
    int vSplitPos() const { return vSplitLeft_; }
    int hSplitPos() const { return hSplitTop_; }
    int paneTop() const { return paneTop_; }
    int paneHeight() const { return paneHeight_; }
    double twipsPerPixel() const { return tpp_; }
    // A pane's rectangle in client twips (left, top, width, height) as last placed.
    std::array<int, 4> paneRect(const QWidget* pane) const;
    int clientWidth() const;    // twips
    int clientHeight() const;   // twips

    // "Desc (*.x)|*.x|..." as Qt file-dialog filters; "*.*" matches every name and an
    // extension matches in either case.
    static QStringList qtFileFilters(std::string_view filter);
    // Whether the desktop has a graphical web browser to hand a page to. Text-mode browsers
    // (what Debian's www-browser and sensible-browser stand for) show nothing on a desktop.
    static bool webBrowserAvailable();
    // The window boxes and dialogs belong to: the one the user is working in (which asked), else
    // this one.
    QWidget* boxOwner();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Platform dialogs that tests replace.
    // Opens the page in the desktop's web browser; without one, in a help window of its own.
    virtual void showHelpTopic(const std::filesystem::path& page);
    // False when there is no web browser to show the page or it could not be started.
    virtual bool openInBrowser(const std::filesystem::path& page);
    // The printer setup dialog, starting from `current`; the choice, or nothing when cancelled.
    virtual std::optional<PrinterChoice> showPrinterSetup(const PrinterChoice& current);
    // Compacts the database while the window stays painted and answers: the work runs beside the
    // event loop, with a busy pointer and a note of what is going on.
    virtual void compactWithFeedback(const std::filesystem::path& folder);
    // Shows a dialog of the program modally and returns its result.
    virtual int execDialog(QDialog& dialog);

private:
    struct Folder {
        std::string table;   // also the key of its tree node
        FolderModel* model = nullptr;
        QTreeView* view = nullptr;
        bool refreshPending = false;   // asked for while another refresh ran
        int keepRow = -1;              // the selected row when the columns were rebuilt
    };

    // Construction (frmMainLayout.cpp, frmMainMenus.cpp).
    void buildPanes();
    void buildCommands();
    void buildMenus();
    void buildToolbar();
    void buildPopup();
    void buildTree();
    QAction* addCommand(QMenu* menu, const char* name, const char* caption, const char* shortcut,
                        const char* history, std::function<void()> action);

    // Load and unload steps.
    bool openDatabase();
    void unloadOtherWindows();
    void createLogColumns(std::string_view table);
    void endProgram();

    // Folder list helpers.
    Folder* folder(std::string_view table);
    const Folder* folder(std::string_view table) const;
    void refreshList(Folder& f);
    void ShowPreview(Folder& f);
    void hideGeneratingView();
    void BuildSortMenu(Folder& f);
    void SortAscending(Folder& f);
    void SortDescending(Folder& f);
    void SortByColumn(Folder& f, int column);
    void widthFix(Folder& f, bool always);
    // The folder of the selected tree node when it is one of the four transaction-set folders
    // (`logs`: or one of the two logs); null otherwise.
    Folder* selectedFolder(bool logs);
    void EditTransactionCommand();
    void setPreviewEditing(bool editing);
    // The preview's text as the logic reads it: 1252 bytes, CR LF line ends.
    std::string previewAnsi() const;
    // Selects `length` characters of the preview from a byte offset into previewAnsi()'s text.
    void selectInPreview(std::string_view text, std::size_t offset, std::size_t length);
    int selectedRow(const Folder& f) const;
    int firstSelectedRow(const Folder& f) const;
    void selectRow(Folder& f, int row);
    void showFolderPane(const Folder* shown);
    void setFolderIcon(int image);
    void logCommand(std::string_view history);
    void restoreSortMarks();

    // Layout helpers.
    int px(double twips) const;
    int tw(double pixels) const;
    bool place(QWidget* pane, double left, double top, double width, double height);
    void setBarDragging(SplitterBar* bar, bool dragging);
    void applyProgress(bool force);

    // Commands on the folder lists and their items (frmMainCommands.cpp).
    void cmdProperties();
    void cmdSelectionFilter();
    void cmdSelectAll();
    void cmdEditData();
    void cmdFind();
    void cmdDelete();
    void cmdMarkAsClosed();
    void cmdSortByColumn(int index);
    void cmdSortAscending();
    void cmdSortDescending();
    void cmdColumns();
    void cmdValidate();
    void cmdGenerateAcknowledgement();
    void cmdMoveToOutbox();
    void cmdMoveToSent();
    // Reports and plug-ins (frmMainReports.cpp).
    void cmdExport();
    void cmdPrint();
    void cmdReportViewer();
    void cmdDesignReport();
    void cmdDesignExport();
    void cmdDesignActiveX();
    void cmdActiveX();
    // Other windows.
    void showPartners();
    void showMapDesigner();
    void showOptions();
    void showAccount();
    void showExchange();
    void showIntegrator();
    void showAbout();

    Settings& settings_;
    const Clock& clock_;
    core::Services services_;

    bool loaded_ = false;
    bool unloaded_ = false;
    bool compacting_ = false;
    bool refreshing_ = false;
    // The row whose set the preview shows (Edit Data writes into it).
    std::string previewTable_;
    std::int64_t previewId_ = 0;
    bool previewHasRow_ = false;
    // Validation shows its sets in the preview; painting each of many would cost more than
    // validating it, so the pane takes a set only as often as the window can show it.
    QElapsedTimer lastValidationShow_;
    bool validationShown_ = false;
    std::string validationText_;
    QPointer<frmProperties> frmProperties_;
    QPointer<frmColumns> frmColumns_;
    QPointer<integrator::frmIntegrator> frmIntegrator_;
    std::unique_ptr<MainWindowSteps> integratorSteps_;
    std::unique_ptr<ReportHost> reportHost_;
    PrinterChoice printer_;
    double tpp_ = 15.0;
    // Commands in progress (a toolbar button runs its menu command inside its own) and the
    // "Error" rows logged since the outermost one began.
    int commandDepth_ = 0;
    int errorsLogged_ = 0;

    // Panes.
    QWidget* client_ = nullptr;
    QToolBar* tbrToolbar_ = nullptr;
    QLabel* picFolder_ = nullptr;
    QLabel* lblFolderBar_ = nullptr;
    QTreeWidget* tvwFolderList_ = nullptr;
    SplitterBar* picVSplit_ = nullptr;
    SplitterBar* picHSplit_ = nullptr;
    std::array<Folder, 6> folders_;
    QTextBrowser* scrpWelcome_ = nullptr;
    QLineEdit* txtMessage_ = nullptr;
    QTabWidget* tabPreview_ = nullptr;
    QTextEdit* rtfTSet_ = nullptr;
    QLabel* panel1_ = nullptr;
    QLabel* panel3_ = nullptr;
    QProgressBar* pgbProgressBar_ = nullptr;
    int folderIcon_ = 1;

    // Layout state (twips).
    int vSplitLeft_ = 2880;
    int hSplitTop_ = 4320;
    int treeWidth_ = 2880;
    int paneTop_ = 0;
    int paneHeight_ = 0;
    int splitLastX_ = 0;
    int splitLastY_ = 0;
    bool vDragging_ = false;
    bool hDragging_ = false;
    int folderBarWidth_ = 8655;   // the label's width before the first layout
    std::map<const QWidget*, std::array<int, 4>> placed_;

    // Commands.
    std::map<std::string, std::function<void()>, std::less<>> handlers_;
    QAction* mnuFolderBar_ = nullptr;
    QAction* mnuStatusBar_ = nullptr;
    QAction* mnuRefresh_ = nullptr;
    QAction* mnuEditData_ = nullptr;
    QAction* mnuAscending_ = nullptr;
    QAction* mnuDescending_ = nullptr;
    QMenu* mnuSortBy_ = nullptr;
    std::vector<QAction*> mnuSortByColumn_;
    std::string sortMenuTable_;
    QMenu* mnuPopup_ = nullptr;
    QAction* mnuOutbox_ = nullptr;
    QAction* mnuSent_ = nullptr;
    QAction* tbrSeparatorAfterDelete_ = nullptr;

    // Throttles of yield and progress.
    QElapsedTimer lastYield_;
    QElapsedTimer lastProgress_;
    int progressValue_ = 0;
    int progressMax_ = 0;
};

}  // namespace vt::mainwindow
