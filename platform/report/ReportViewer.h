#pragma once
// The report viewer: one page at a time at a zoom level, with a toolbar (close view, print,
// export, refresh, navigation, zoom, text search, search and select experts, stop, help), a
// group tree, view tabs (the whole report and each drill-down into a group), a progress bar and a
// pop-up menu. Every part can be shown or hidden, enabled or disabled by its switch name.

// moc cannot read the standard library's C++20 headers that these bring in; no signal uses them.
#ifndef Q_MOC_RUN
#include "Document.h"
#include "Layout.h"
#endif

#include <QFrame>

#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

class QAction;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QScrollArea;
class QTabBar;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace vt::report {

class PageCanvas;

class ReportViewer : public QFrame {
    Q_OBJECT
public:
    // The switch names, in the order a host applies them.
    static std::span<const std::string_view> switchNames();

    explicit ReportViewer(QWidget* parent = nullptr);
    ~ReportViewer() override;

    // The report shown from the next viewReport(); the viewer keeps it.
    void setReportSource(std::shared_ptr<ReportDocument> doc);
    const std::shared_ptr<ReportDocument>& reportSource() const { return doc_; }
    // Lays the report out and shows its first page (drill-down views are closed).
    void viewReport();
    // Takes the data again from the report's record set and lays it out anew.
    void refresh();

    // A switch by name; false for a name the viewer does not know.
    bool setSwitch(std::string_view name, bool on);
    bool switchValue(std::string_view name) const;

    int zoomLevel() const { return zoom_; }
    // Per cent, 25 to 400; emits zoomLevelChanged when it changes.
    void setZoomLevel(int percent);

    // Pages of the view in front (the whole report or a drill-down).
    int pageCount() const;
    int currentPage() const { return page_; }   // from 0
    void showPage(int index);
    const Layout* currentLayout() const;

    // Finds the next item containing `text` (no regard to case) from the one after the last find,
    // in `field`'s objects only when given; shows its page. False when there is none.
    bool findNext(const QString& text, const QString& field = {});
    // Opens a view of only the records of the group (index into the layout's groups).
    void drillDown(int groupIndex);
    // Opens a view of only the records whose field shows `value`.
    void selectRecords(const QString& field, const QString& value);
    int viewCount() const;
    int currentView() const;
    void setCurrentView(int index);
    // Closes the drill-down view in front (the whole report stays).
    void closeView();

    // Parts, for hosts and tests.
    QToolBar* toolbar() const { return toolbar_; }
    QTreeWidget* groupTree() const { return groupTree_; }
    QTabBar* tabs() const { return tabs_; }
    QProgressBar* progressControl() const { return progress_; }
    QLabel* animationControl() const { return animation_; }
    QComboBox* zoomControl() const { return zoomBox_; }
    QLineEdit* searchControl() const { return searchEdit_; }
    QWidget* navigationControls() const { return navigation_; }
    QWidget* pageArea() const;
    QAction* action(std::string_view name) const;   // closeView, print, export, refresh, ...
    QMenu* popupMenu() const { return popup_; }
    bool backgroundEdgeShown() const;
    bool drillDownEnabled() const { return drillDown_; }
    bool popupMenuEnabled() const { return popupOn_; }

    // The export dialog starts in this folder (for every viewer) with the format of the last
    // export done from a viewer selected (PDF before the first).
    static void setExportFolder(const QString& folder);
    static int lastExportFormat();
    // The export dialog as it opens.
    std::unique_ptr<QFileDialog> exportDialog();

    // The file-dialog filter of every writable format and the format number of a chosen filter.
    static QString exportFilter();
    static int formatOfFilter(const QString& filter);
    // `file` with the format's extension added unless it already ends with it (in either case).
    static QString withExportExtension(const QString& file, int formatNumber);

signals:
    void zoomLevelChanged(int percent);
    void pageChanged(int index);

protected:
    // Dialogs a test replaces.
    virtual void exportWithDialog();
    virtual QString chooseExportFile(QString* chosenFilter);   // "" when cancelled
    virtual void printWithDialog();
    virtual void searchExpert();
    virtual void selectExpert();
    virtual void showHelp();
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct View {
        QString title;
        std::shared_ptr<DataTable> data;   // the view's rows (the whole report: the document's)
        Layout layout;
    };

    void buildToolbar();
    void addView(QString title, std::shared_ptr<DataTable> data);
    void layOut(View& view);
    void fillGroupTree();
    void updateNavigation();
    friend class PageCanvas;
    void popupAt(const QPoint& globalPos);
    // Drills down into the group header under a point of the page in front (twips).
    void itemDoubleClickedAt(int x, int y);
    void setBusy(bool busy);
    std::shared_ptr<DataTable> filtered(const std::function<bool(const std::vector<automation::Variant>&)>& keep) const;

    std::shared_ptr<ReportDocument> doc_;
    std::vector<View> views_;
    int view_ = 0;
    int page_ = 0;
    int zoom_ = 100;
    bool drillDown_ = true;
    bool popupOn_ = true;
    bool stopRequested_ = false;
    int findPage_ = 0, findItem_ = -1;

    QToolBar* toolbar_ = nullptr;
    QTreeWidget* groupTree_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PageCanvas* canvas_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* animation_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QLineEdit* searchEdit_ = nullptr;
    QWidget* navigation_ = nullptr;
    QLineEdit* pageEdit_ = nullptr;
    QLabel* pageOf_ = nullptr;
    QMenu* popup_ = nullptr;
    std::vector<std::pair<std::string_view, QAction*>> actions_;
};

}  // namespace vt::report
