#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QWidget>

class QFileSystemModel;

// The standard controls the recorder's dialogs name in their form descriptions besides the skin
// controls: the up-down beside a read-only number box, the date picker, the shell folder tree, and
// a page control and a report list.

// Two arrow buttons that step Position between Min and Max; the Associate edit box shows the
// position.
class TUpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(QWidget* Associate READ Associate WRITE SetAssociate)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE SetEnabled)
public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return m_min; }
    void SetMin(int value);
    int Max() const { return m_max; }
    void SetMax(int value);
    int Position() const { return m_position; }
    // Held to Min..Max, as the control does.
    void SetPosition(int value);
    QWidget* Associate() const { return m_associate; }
    void SetAssociate(QWidget* edit);
    // The associated box follows the up-down's enabled state.
    void SetEnabled(bool value);

Q_SIGNALS:
    void OnChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showPosition();
    // +1 over the upper half, -1 over the lower half, 0 off the control.
    int stepAt(const QPointF& point) const;

    int m_min = 0, m_max = 100, m_position = 0;
    QPointer<QWidget> m_associate;
    // While an arrow is held the position keeps stepping, after a first pause; it stops on the
    // release, when the pointer leaves that arrow, and when the control is hidden or disabled.
    QTimer m_repeat;
    int m_heldStep = 0;
};

// The date picker: the system's long date format, a calendar to drop down.
class TDateTimePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit TDateTimePicker(QWidget* parent = nullptr);
};

// The folder tree: folders only, rooted at "/", one column, no lines at the root; a right click
// selects too. The file-system model behind it (and its reading of the folders) is made when the
// tree is first shown or asked about, not when the window is created: folder choices made before
// that are applied to it in their order.
class TShellTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit TShellTreeView(QWidget* parent = nullptr);
    // The folder selected, or empty when none is.
    QString SelectedFolder() const;
    // Selects `folder`, opens every folder above it and keeps it scrolled into view while the tree
    // reads those folders, until the user moves in the tree.
    void SelectFolder(const QString& folder);
    QFileSystemModel* Model() const { return EnsureModel(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QFileSystemModel* EnsureModel() const;
    void Select(const QString& folder);
    void KeepSelectedInView();

    QString m_keptInView; // the folder SelectFolder chose, until the user moves

    mutable QFileSystemModel* m_model = nullptr;
    mutable QStringList m_pendingFolders;
};

// A page control of TTabSheet pages: each sheet created on it becomes a page, its Caption the tab.
class TPageControl : public QTabWidget {
    Q_OBJECT
    Q_PROPERTY(int ActivePageIndex READ currentIndex WRITE setCurrentIndex)
public:
    explicit TPageControl(QWidget* parent = nullptr);
};

class TTabSheet : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    explicit TTabSheet(QWidget* parent = nullptr);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);

private:
    QString m_caption;
};

// A report list with check boxes and whole-row selection; Columns names the headers.
class TListView : public QTreeWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList Columns READ Columns WRITE SetColumns)
    Q_PROPERTY(QVariantList ColumnWidths READ ColumnWidths WRITE SetColumnWidths)
    Q_PROPERTY(bool GridLines READ GridLines WRITE SetGridLines)
public:
    explicit TListView(QWidget* parent = nullptr);
    // Lines between the rows and between the columns, over the whole list (also below its last row).
    bool GridLines() const { return m_gridLines; }
    void SetGridLines(bool on);
    static QColor GridLineColor();
    QStringList Columns() const;
    void SetColumns(const QStringList& headers);
    // Pixel widths of the columns, in order.
    QVariantList ColumnWidths() const;
    void SetColumnWidths(const QVariantList& widths);

Q_SIGNALS:
    void OnClick();
    void OnColumnClick(int column);
    void OnSelectItem(); // the selected row changed

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_gridLines = false;
};

class TskBuiltInFileTheme;
// The native editor of an edit box or a drop-down list, standard or skinned (null for anything else).
QLineEdit* NativeEdit(QObject* control);
QComboBox* NativeCombo(QObject* control);
QTreeWidget* NativeList(QObject* control);

// Hands the main window's themes to every control of the window that takes a theme and has none
// from its description: the skinned frame and title bars new.skn (themeNew), every other control
// mp10.skn (themeMp10). They are the window's own themes on the main window, else the main
// window's (frmMain.themeX; a window made without its main window loads its own copy). Returns the
// frame's theme.
TskBuiltInFileTheme* ApplyEmbeddedTheme(QWidget* form);

// Fits a dialog to its skinned frame (the TskForm of the window, if it has one), once the theme is
// in: a dialog border's title bar keeps only its close button and window menu. The description's
// client area holds the title bar, its client panel what is left below it.
void FitSkinnedDialog(QWidget* form);

// Makes the classes above known to the form descriptions.
void RegisterDialogControls();
