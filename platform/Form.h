#pragma once

#include <QDialog>

// A top-level window in the manner the programs are written: the window is built (its layout
// loaded from its form description), then its creation handler runs; show, close, close-query
// and destroy handlers follow its life. A form can be shown modally (ShowModal gives the modal
// result) or not. The main form's closing ends the program.
class TForm : public QDialog {
    Q_OBJECT
public:
    explicit TForm(QWidget* owner = nullptr);
    ~TForm() override;

    // Runs the creation handler; called once, right after construction, by whoever creates the
    // window (the program block creates its windows in a fixed order).
    void create();

    // Modal loop; the result is what ModalResult was set to (mrCancel when closed otherwise).
    int ShowModal();
    void setModalResult(int result);
    int modalResult() const { return m_modalResult; }

    void setMainForm(bool main) { m_mainForm = main; }
    bool isMainForm() const { return m_mainForm; }

    // Runs the destroy handler at most once: the program block calls it at exit for every window,
    // the last-made first, before it deletes any; a form made alone may call it from its destructor
    // (while its members still exist).
    void destroyForm();

protected:
    virtual void FormCreate() {}
    virtual void FormShow() {}
    virtual void FormCloseQuery(bool& canClose) { (void)canClose; }
    virtual void FormClose() {}
    virtual void FormDestroy() {}

    // The show handler runs, then the window takes the place its description gives (Position:
    // centred on the screen, on its owner or on the main form) every time it is shown, and a
    // window whose border cannot be sized keeps its size for the window manager too.
    void showEvent(QShowEvent* event) override;
    // Every way of closing (the window's close button, Escape on a modal form, a modal result)
    // passes here: close-query may refuse, then the close handler runs.
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Each activation checks Qt's record of the window's place against the window system's
    // (CorrectWindowPlace): lists and menus open by that record.
    bool event(QEvent* event) override;

private:
    // A window described with a dialog's border (bsDialog) is a dialog to the window system, and
    // each time it shows it is owned (transient for, WM_TRANSIENT_FOR) by the window it is shown
    // over, so that a window manager that places dialogs itself places it by that window and
    // keeps it above it.
    bool IsDialog() const;
    void BecomeDialog();
    void GiveOwner();
    void PlaceByPosition();
    void KeepSizeIfFixed();

    bool m_created = false;
    bool m_destroyed = false;
    bool m_mainForm = false;
    int m_modalResult = 0;
};
