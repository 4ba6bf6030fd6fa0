#include "skin/SKRegister.h"

#include "platform/FormResource.h"
#include "skin/SKButton.h"
#include "skin/SKComboBox.h"
#include "skin/SKEdit.h"
#include "skin/SKForm.h"
#include "skin/SKGroupBox.h"
#include "skin/SKImagePanel.h"
#include "skin/SKMainMenu.h"
#include "skin/SKMemo.h"
#include "skin/SKMgr.h"
#include "skin/SKPageControl.h"
#include "skin/SKPopupMenu.h"
#include "skin/SKScrollBar.h"
#include "skin/SKSkinForm.h"
#include "skin/SKThemes.h"
#include "skin/SKTitleBar.h"
#include "skin/SKTrackBar.h"
#include "skin/SKURLLabel.h"

#include <QFile>

namespace {

// A window made without the main window it takes its themes from (a window tried on its own) gets
// its own copy of the theme the reference names, loaded from the embedded file, one per name.
QObject* BuiltInThemeStandIn(QWidget* form, const QString&, const QString& component,
                             const QMetaObject* wanted) {
    const QString file = BuiltInThemeFileOf(component);
    if (file.isEmpty() || (wanted && !TskBuiltInFileTheme::staticMetaObject.inherits(wanted))) return nullptr;
    if (auto* own = form->findChild<TskBuiltInFileTheme*>(component, Qt::FindDirectChildrenOnly)) return own;
    auto* theme = new TskBuiltInFileTheme(form);
    theme->setObjectName(component);
    QFile data(ThemeResourcePath(file));
    if (data.open(QIODevice::ReadOnly)) theme->ReadSkinData(data.readAll());
    return theme;
}

} // namespace

void RegisterSkinControls() {
    SetMissingWindowStandIn(BuiltInThemeStandIn);
    FormClassRegistry::addWidget<TskButton>(QStringLiteral("TskButton"));
    FormClassRegistry::addWidget<TskImageButton>(QStringLiteral("TskImageButton"));
    FormClassRegistry::addWidget<TskCheckBox>(QStringLiteral("TskCheckBox"));
    FormClassRegistry::addWidget<TskRadioButton>(QStringLiteral("TskRadioButton"));
    FormClassRegistry::addWidget<TskTrackBar>(QStringLiteral("TskTrackBar"));
    FormClassRegistry::addWidget<TskScrollTrackBar>(QStringLiteral("TskScrollTrackBar"));
    FormClassRegistry::addWidget<TskImagePanel>(QStringLiteral("TskImagePanel"));
    FormClassRegistry::addWidget<TskGroupBox>(QStringLiteral("TskGroupBox"));
    FormClassRegistry::addWidget<TskTitleBar>(QStringLiteral("TskTitleBar"));
    FormClassRegistry::addWidget<TskScrollBar>(QStringLiteral("TskScrollBar"));
    FormClassRegistry::addWidget<TskEdit>(QStringLiteral("TskEdit"));
    FormClassRegistry::addWidget<TskNumberEdit>(QStringLiteral("TskNumberEdit"));
    FormClassRegistry::addWidget<TskComboBox>(QStringLiteral("TskComboBox"));
    FormClassRegistry::addWidget<TskURLLabel>(QStringLiteral("TskURLLabel"));
    FormClassRegistry::addWidget<TskPageControl>(QStringLiteral("TskPageControl"));
    FormClassRegistry::addWidget<TskTabSheet>(QStringLiteral("TskTabSheet"));
    FormClassRegistry::addWidget<TskSkinForm>(QStringLiteral("TskSkinForm"));
    FormClassRegistry::addObject<TskFileTheme>(QStringLiteral("TskFileTheme"));
    FormClassRegistry::addObject<TskBuiltInFileTheme>(QStringLiteral("TskBuiltInFileTheme"));
    FormClassRegistry::addWidget<TskForm>(QStringLiteral("TskForm"));
    FormClassRegistry::addWidget<TskMemo>(QStringLiteral("TskMemo"));
    // Menus are components of the form, not widgets placed on a parent.
    FormClassRegistry::add(QStringLiteral("TskPopupMenu"), [](QObject* owner, QWidget* parent) -> QObject* {
        return new TskPopupMenu(qobject_cast<QWidget*>(owner) ? qobject_cast<QWidget*>(owner) : parent);
    });
    FormClassRegistry::add(QStringLiteral("TskMainMenu"), [](QObject* owner, QWidget* parent) -> QObject* {
        return new TskMainMenu(owner ? owner : parent);
    });
}
