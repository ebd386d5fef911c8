#pragma once
// The map designer window: the map list, the segment tree with its property panels, the script
// editor with its reference tree, the Immediate and Transaction panes of the translator's test
// runs, four splitter bars, and the layout kept in settings section "Map". One instance, loaded on
// first use; it is the translator's view while it is loaded.
//
// Positions are twips relative to the client area below the menu bar, as the settings hold them.

#include "core/Services.h"
#include "folders/Selection.h"
#include "maps/DesignerLayout.h"
#include "maps/DesignerTree.h"
#include "maps/MapPanels.h"
#include "maps/MapModel.h"

#include <QIcon>
#include <QMainWindow>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QStatusBar;
class QTabBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vt::automation {
template <class T>
class Ref;
class Recordset;
}  // namespace vt::automation

namespace vt::maps {

class ScriptEditor;
class ReferenceTreeWidget;
class DesignerBar;

class frmMap : public QMainWindow {
    Q_OBJECT
public:
    // What the designer needs of the main window.
    struct Host {
        // The Inbox list as it stands (selection in list order); nothing when there is none.
        std::function<std::optional<folders::FolderSelection>()> inbox;
        // The main window's preview of the set being translated.
        std::function<void(std::string_view)> preview;
    };

    frmMap(const core::Services& s, Host host = {}, QWidget* parent = nullptr);
    ~frmMap() override;

    // The load sequence; runs once, whether the window is shown or only used.
    void Form_Load();
    bool isLoaded() const { return loaded_; }

    // ---- Public operations ----
    // "load" restores, "save" stores the window's place, state and bars (any case); else nothing.
    void MainLayout(std::string_view action);
    // The inbound translator, with this window as its view.
    automation::Ref<automation::Recordset> TranslateAll(const folders::FolderSelection& list, const MapKey& key,
                                                        bool exportRun, bool silent);

    // ---- Operations and events ----
    void LoadTransactionList();
    void LoadSegmentTree();
    void LoadReferenceTree();
    void lvwTSets_ItemClick(int row);
    // ExpandState: 0 collapse, 1 expand or click.
    void tvwTSets_NodeClick(std::string_view key) { treeEvent(key, 1); }
    void tvwTSets_Expand(std::string_view key) { treeEvent(key, 1); }
    void tvwTSets_Collapse(std::string_view key) { treeEvent(key, 0); }
    // ExpandState: 0 store collapsed, 1 store expanded, 2 leave it.
    void ShowSegmentProperties(int expandState);
    void ShowElementProperties();
    void sstControls_Click(int previousTab);
    void mnuClose_Click();
    // "Execute Mapper" of either panel; its result shows in the window's status bar.
    void cmdProcess_Click();
    // A panel button by its control name ("cmdSaveSegment", "cmdAddElement", ...).
    void command_Click(std::string_view name);
    // File > View Guideline.
    void mnuGuideline_Click();
    void Form_Resize();
    // Mouse on a bar: button as the mouse reports it (1 left, 2 right), position in twips
    // relative to the bar.
    void bar_MouseDown(Bar bar, int button, double x, double y);
    void bar_MouseMove(Bar bar, int button, double x, double y);
    void bar_MouseUp(Bar bar, int button, double x, double y);

    // ---- State ----
    const MapKey& currentMap() const { return current_; }
    const std::string& loadedMapKey() const { return loadedMapKey_; }
    const std::string& selectedKey() const { return selectedKey_; }
    void setSelectedKey(std::string key) { selectedKey_ = std::move(key); }
    const std::string& panelKey() const { return panels_.panelKey(); }
    bool segmentDirty() const { return panels_.segmentDirty(); }
    bool elementDirty() const { return panels_.elementDirty(); }
    MapPanels& panels() { return panels_; }
    // The key of the tree's selected node ("" when none).
    std::string selectedNodeKey() const;
    DesignerBars bars() const;
    bool barDragging(Bar bar) const;
    double twipsPerPixel() const { return tpp_; }
    int clientWidth() const;    // twips
    int clientHeight() const;   // twips
    const PaneRects& paneRects() const { return rects_; }
    static const std::array<std::string_view, 3> kTabCaptions;

    // ---- Controls, for the main window and tests ----
    QTreeWidget* lvwTSets() const { return lvwTSets_; }
    QTreeWidget* tvwTSets() const { return tvwTSets_; }
    QTreeWidgetItem* treeNode(std::string_view key) const;
    QGroupBox* fraSegment() const { return fraSegment_; }
    QGroupBox* fraElement() const { return fraElement_; }
    QWidget* sstControls() const { return sstControls_; }
    QTabBar* tabs() const { return tabBar_; }
    ScriptEditor* txtScript() const { return txtScript_; }
    ReferenceTreeWidget* tvwReference() const { return tvwReference_; }
    QPlainTextEdit* txtImmediate() const { return txtImmediate_; }
    QPlainTextEdit* txtTransaction() const { return txtTransaction_; }
    QWidget* bar(Bar which) const;
    QAction* mnuGuideline() const { return mnuGuideline_; }
    QAction* mnuClose() const { return mnuClose_; }
    // What the status bar says (the result of the last test run).
    std::string statusText() const;
    // Panel controls by name ("txtSegment", "cboElementType", "cmdSaveSegment", ...).
    QWidget* control(std::string_view name) const;
    // An image of the window's image list by key.
    QIcon treeIcon(std::string_view key) const;

    // ---- The translator's view (while the window is loaded) ----
    void setControlsEnabled(bool enabled);
    void clearImmediate();
    void appendImmediate(std::string_view text);
    void showTransaction(std::string_view text);
    void selectTransaction(std::size_t offset, std::size_t length);
    void showPreview(std::string_view text);
    // The script editor's text as stored: 1252 bytes, CR LF line ends.
    std::string scriptText() const;

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildWindow();
    void buildPanels();
    void buildLowerBand();
    QToolButton* panelButton(QWidget* parent, const char* name, const char* picture, const char* tip);
    void connectDirtyFlags();
    void treeEvent(std::string_view key, int expandState);
    // The current map from the selected list row; false when no row is selected.
    bool readCurrentMap();
    void fillSegmentPanel();
    void fillElementPanel();
    // The widgets' values into the panels' state.
    void syncSegment();
    void syncElement();
    // Rebuilds the tree after a command that wrote rows, selecting the node it names.
    void afterEdit(const EditResult& result);
    // The id of a new segment, asked for until it is a valid one or the user cancels.
    std::optional<std::string> askSegmentId(const std::string& suggested);
    void placePanes();
    void flushImmediate();
    int px(double twips) const;
    double tw(double pixels) const;
    void setBarColour(Bar bar, bool dragging);
    DesignerBar* barWidget(Bar bar) const;

    class PaneView;
    const core::Services& s_;
    Host host_;
    std::unique_ptr<PaneView> view_;
    MapPanels panels_;
    bool loaded_ = false;
    bool unloaded_ = false;
    double tpp_ = 15.0;

    // Working state.
    MapKey current_;
    std::string loadedMapKey_;
    std::string selectedKey_;
    bool loadingMap_ = false;
    bool filling_ = false;   // the panels are being filled: no change is the user's
    bool buildingTree_ = false;
    bool treeMousePress_ = false;
    QString pendingImmediate_;
    bool immediateFlushQueued_ = false;
    std::string transactionText_;

    // Layout state: the bars' offsets while dragged, where each pane was put (twips).
    std::array<int, 4> barOffsets_{};
    std::array<bool, 4> dragging_{};
    PaneRects rects_{};
    double designWidth_ = 0, designHeight_ = 0;

    mutable std::map<std::string, QIcon, std::less<>> icons_;

    // Controls.
    QTreeWidget* lvwTSets_ = nullptr;
    QTreeWidget* tvwTSets_ = nullptr;
    QGroupBox* fraSegment_ = nullptr;
    QGroupBox* fraElement_ = nullptr;
    QWidget* sstControls_ = nullptr;
    QTabBar* tabBar_ = nullptr;
    ScriptEditor* txtScript_ = nullptr;
    ReferenceTreeWidget* tvwReference_ = nullptr;
    QPlainTextEdit* txtImmediate_ = nullptr;
    QPlainTextEdit* txtTransaction_ = nullptr;
    std::array<DesignerBar*, 4> bars_{};
    QAction* mnuGuideline_ = nullptr;
    QAction* mnuClose_ = nullptr;
    QStatusBar* sbrStatusBar_ = nullptr;

    QCheckBox* chkLooping_ = nullptr;
    QCheckBox* chkSegmentExclude_ = nullptr;
    QLineEdit* txtSegment_ = nullptr;
    QLineEdit* txtSegmentName_ = nullptr;
    QComboBox* cboSegmentUsage_ = nullptr;
    QComboBox* cboSegmentLevel_ = nullptr;
    QLineEdit* txtLoopLevel_ = nullptr;
    QLineEdit* txtMaxUsageLoop_ = nullptr;
    QLineEdit* txtPlaceholders_ = nullptr;
    QCheckBox* chkElementExclude_ = nullptr;
    QLineEdit* txtReference_ = nullptr;
    QLineEdit* txtElementName_ = nullptr;
    QComboBox* cboElementUsage_ = nullptr;
    QComboBox* cboElementType_ = nullptr;
    QLineEdit* txtElementMax_ = nullptr;
    QLineEdit* txtElementMin_ = nullptr;
    QLineEdit* txtFormat_ = nullptr;
};

// The one designer window. Made and loaded (unseen) on first use; File > Close ends it and the
// next use makes it again.
frmMap& MapDesigner(const core::Services& s, frmMap::Host host, QWidget* owner = nullptr);
// The loaded designer, or null.
frmMap* LoadedMapDesigner();

}  // namespace vt::maps
