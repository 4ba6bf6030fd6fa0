#include "platform/Menus.h"

TMenuItem::TMenuItem(QObject* parent) : QAction(parent) {
    connect(this, &QAction::triggered, this, &TMenuItem::OnClick);
}

void TMenuItem::SetCaption(const QString& value) {
    m_caption = value;
    setSeparator(value == QLatin1String("-"));
    setText(value);
}

void TMenuItem::SetChecked(bool value) {
    setCheckable(value || isCheckable());
    setChecked(value);
}
