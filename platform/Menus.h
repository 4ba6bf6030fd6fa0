#pragma once

#include <QAction>

// One item of a menu in a form description (`object muRename: TMenuItem` inside a popup or main
// menu): its caption ("-" makes it a separator), whether it shows and whether it can be chosen.
// Choosing it raises OnClick. The item joins the menu it is declared in, in the order written.
class TMenuItem : public QAction {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool Checked READ isChecked WRITE SetChecked)
public:
    explicit TMenuItem(QObject* parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    void SetChecked(bool value);

Q_SIGNALS:
    void OnClick();

private:
    QString m_caption;
};
