#include "platform/FormClassRegistry.h"

#include "platform/Colors.h"
#include "platform/DropDownList.h"
#include "platform/FormParser.h"
#include "platform/Menus.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaEnum>
#include <QMutex>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

// ---------------------------------------------------------------------------------------------
// Values

namespace FormValue {
namespace {
[[noreturn]] void wants(const QString& property, const char* what) {
    throw FormResourceError(QStringLiteral("%1 wants %2").arg(property, QLatin1String(what)));
}
} // namespace

int toInt(const QVariant& value, const QString& property) {
    bool ok = false;
    const int i =
        value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ? value.toInt(&ok) : 0;
    if (!ok) wants(property, "a number");
    return i;
}

QString toText(const QVariant& value, const QString& property) {
    if (value.typeId() != QMetaType::QString) wants(property, "a text");
    return value.toString();
}

QStringList toTextList(const QVariant& value, const QString& property) {
    if (value.typeId() == QMetaType::QStringList) return value.toStringList();
    if (value.typeId() == QMetaType::QVariantList && value.toList().isEmpty()) return {};
    wants(property, "a list of texts");
}

QString toIdentifier(const QVariant& value, const QString& property) {
    if (value.userType() != qMetaTypeId<FormIdent>()) wants(property, "a name");
    return value.value<FormIdent>().name;
}

QColor toColor(const QVariant& value, const QString& property) {
    if (value.typeId() != QMetaType::Int && value.typeId() != QMetaType::LongLong)
        wants(property, "a colour");
    return ColorToQColor(static_cast<TColor>(value.toLongLong()));
}

bool applyPaletteColor(QWidget* widget, const QString& name, const QVariant& value) {
    if (!name.startsWith(QLatin1String("Palette."))) return false;
    const QStringList parts = name.mid(8).split(u'.');
    if (parts.size() > 2) return false;
    bool ok = false;
    const int role = QMetaEnum::fromType<QPalette::ColorRole>().keyToValue(parts.last().toLatin1(), &ok);
    if (!ok) return false;
    int group = QPalette::All;
    if (parts.size() == 2) {
        group = QMetaEnum::fromType<QPalette::ColorGroup>().keyToValue(parts.first().toLatin1(), &ok);
        if (!ok || group == QPalette::All || group >= QPalette::NColorGroups) return false;
    }
    QPalette palette = widget->palette();
    palette.setColor(QPalette::ColorGroup(group), QPalette::ColorRole(role), toColor(value, name));
    widget->setPalette(palette);
    return true;
}

namespace {
struct DecodedPictures {
    QMutex mutex;
    QHash<QString, QImage> images;
};
DecodedPictures& decodedPictures() {
    static DecodedPictures pictures;
    return pictures;
}
} // namespace

void KeepDecodedPicture(const QString& path, const QImage& image) {
    DecodedPictures& pictures = decodedPictures();
    if (path.isEmpty() || image.isNull()) return;
    const QMutexLocker lock(&pictures.mutex);
    pictures.images.insert(path, image);
}

QImage toPicture(const QVariant& value, const QString& property) {
    const QString path = toText(value, property);
    if (path.isEmpty()) return {};
    if (path.startsWith(QLatin1String(":/"))) {
        DecodedPictures& pictures = decodedPictures();
        const QMutexLocker lock(&pictures.mutex);
        const auto it = pictures.images.constFind(path);
        if (it != pictures.images.constEnd()) return *it;
    }
    QImage image(path);
    if (image.isNull())
        throw FormResourceError(QStringLiteral("%1: the picture %2 cannot be read").arg(property, path));
    return image;
}
} // namespace FormValue

// ---------------------------------------------------------------------------------------------
// Adapters of the standard classes

namespace {

bool timerProperty(QTimer* timer, const QString& name, const QVariant& v) {
    if (name == QLatin1String("Enabled")) {
        v.toBool() ? timer->start() : timer->stop();
        return true;
    }
    if (name == QLatin1String("Interval")) {
        const bool active = timer->isActive();
        timer->setInterval(FormValue::toInt(v, name));
        if (active) timer->start();
        return true;
    }
    return false;
}

bool fontProperty(QWidget* w, const QString& name, const QVariant& v) {
    QFont f = w->font();
    const QString part = name.mid(5);
    if (part == QLatin1String("Name")) {
        f.setFamily(FormValue::toText(v, name));
    } else if (part == QLatin1String("Size")) {
        f.setPointSize(FormValue::toInt(v, name));
    } else if (part == QLatin1String("Height")) {
        f.setPixelSize(std::abs(FormValue::toInt(v, name)));
    } else if (part == QLatin1String("Style")) {
        if (v.userType() != qMetaTypeId<FormSet>())
            throw FormResourceError(name + QStringLiteral(" wants a set"));
        const QStringList s = v.value<FormSet>().members;
        f.setWeight(s.contains(QLatin1String("fsBold")) ? QFont::Bold : QFont::Normal);
        f.setItalic(s.contains(QLatin1String("fsItalic")));
        f.setUnderline(s.contains(QLatin1String("fsUnderline")));
        f.setStrikeOut(s.contains(QLatin1String("fsStrikeOut")));
    } else if (part == QLatin1String("Color")) {
        const QColor c = FormValue::toColor(v, name);
        QPalette pal = w->palette();
        pal.setColor(QPalette::WindowText, c);
        pal.setColor(QPalette::ButtonText, c);
        pal.setColor(QPalette::Text, c);
        w->setPalette(pal);
        return true;
    } else if (part == QLatin1String("Charset")) {
        return true; // one character set for all texts
    } else {
        return false;
    }
    w->setFont(f);
    return true;
}

// What every widget takes: its font, hint, colour, cursor and tag; a window its caption and
// placement.
bool widgetProperty(QWidget* w, const QString& name, const QVariant& v) {
    if (name.startsWith(QLatin1String("Font."))) return fontProperty(w, name, v);
    if (FormValue::applyPaletteColor(w, name, v)) return true;
    if (name == QLatin1String("Hint")) {
        w->setToolTip(FormValue::toText(v, name));
        return true;
    }
    if (name == QLatin1String("Color")) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, FormValue::toColor(v, name));
        w->setPalette(pal);
        w->setAutoFillBackground(true);
        return true;
    }
    if (name == QLatin1String("Cursor")) {
        const QString c = FormValue::toIdentifier(v, name);
        if (c == QLatin1String("crHandPoint")) {
            w->setCursor(Qt::PointingHandCursor);
            return true;
        }
        if (c == QLatin1String("crDefault")) {
            w->unsetCursor();
            return true;
        }
        throw FormResourceError(QStringLiteral("unknown cursor %1").arg(c));
    }
    if (name == QLatin1String("Tag")) {
        w->setProperty("Tag", v);
        return true;
    }
    if (w->isWindow()) {
        if (name == QLatin1String("Caption")) {
            w->setWindowTitle(FormValue::toText(v, name));
            return true;
        }
        if (name == QLatin1String("Position") || name == QLatin1String("BorderStyle")) {
            w->setProperty(name.toLatin1().constData(), FormValue::toIdentifier(v, name));
            return true;
        }
    }
    return false;
}

bool isCaption(const QString& name) {
    return name == QLatin1String("Caption") || name == QLatin1String("Text");
}

using AdapterTable = QHash<const QMetaObject*, FormClassRegistry::PropertyAdapter>;

template <class T>
void adapt(AdapterTable& table,
           std::function<bool(T* object, const QString& name, const QVariant& value)> adapter) {
    table.insert(&T::staticMetaObject, [adapter](QObject* o, const QString& name, const QVariant& v) {
        return adapter(static_cast<T*>(o), name, v);
    });
}

void addStandardAdapters(AdapterTable& table) {
    adapt<QTimer>(table, timerProperty);
    adapt<QWidget>(table, widgetProperty);
    adapt<QAbstractButton>(table, [](QAbstractButton* b, const QString& name, const QVariant& v) {
        return isCaption(name) && (b->setText(FormValue::toText(v, name)), true);
    });
    adapt<QLabel>(table, [](QLabel* l, const QString& name, const QVariant& v) {
        if (isCaption(name)) return l->setText(FormValue::toText(v, name)), true;
        if (name == QLatin1String("Picture"))
            return l->setPixmap(QPixmap::fromImage(FormValue::toPicture(v, name))), true;
        return false;
    });
    adapt<QLineEdit>(table, [](QLineEdit* e, const QString& name, const QVariant& v) {
        return isCaption(name) && (e->setText(FormValue::toText(v, name)), true);
    });
    adapt<QPlainTextEdit>(table, [](QPlainTextEdit* m, const QString& name, const QVariant& v) {
        if (isCaption(name)) return m->setPlainText(FormValue::toText(v, name)), true;
        if (name == QLatin1String("Lines"))
            return m->setPlainText(FormValue::toTextList(v, name).join(u'\n')), true;
        return false;
    });
    adapt<QGroupBox>(table, [](QGroupBox* g, const QString& name, const QVariant& v) {
        return isCaption(name) && (g->setTitle(FormValue::toText(v, name)), true);
    });
    adapt<QComboBox>(table, [](QComboBox* c, const QString& name, const QVariant& v) {
        if (name == QLatin1String("Items")) return c->addItems(FormValue::toTextList(v, name)), true;
        if (name == QLatin1String("ItemIndex")) return c->setCurrentIndex(FormValue::toInt(v, name)), true;
        return false;
    });
    adapt<QListWidget>(table, [](QListWidget* l, const QString& name, const QVariant& v) {
        return name == QLatin1String("Items") && (l->addItems(FormValue::toTextList(v, name)), true);
    });
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Classes

namespace FormClassRegistry {
namespace {
struct Tables {
    QHash<QString, Factory> classes;
    QHash<const QMetaObject*, PropertyAdapter> adapters;
};

Tables& tables() {
    static Tables t;
    static const bool standard = [] {
        // A timer runs every second unless its description says otherwise ("Enabled = False",
        // "Interval"), as the descriptions are written.
        t.classes.insert(QStringLiteral("TTimer"), [](QObject* owner, QWidget*) -> QObject* {
            auto* timer = new QTimer(owner);
            timer->start(1000);
            return timer;
        });
        t.classes.insert(QStringLiteral("TLabel"),
                         [](QObject*, QWidget* p) -> QObject* { return new QLabel(p); });
        t.classes.insert(QStringLiteral("TEdit"),
                         [](QObject*, QWidget* p) -> QObject* { return new QLineEdit(p); });
        t.classes.insert(QStringLiteral("TComboBox"),
                         [](QObject*, QWidget* p) -> QObject* { return new TComboBox(p); });
        t.classes.insert(QStringLiteral("TMemo"),
                         [](QObject*, QWidget* p) -> QObject* { return new QPlainTextEdit(p); });
        t.classes.insert(QStringLiteral("TPanel"),
                         [](QObject*, QWidget* p) -> QObject* { return new QWidget(p); });
        t.classes.insert(QStringLiteral("TImage"),
                         [](QObject*, QWidget* p) -> QObject* { return new QLabel(p); });
        t.classes.insert(QStringLiteral("TListBox"),
                         [](QObject*, QWidget* p) -> QObject* { return new QListWidget(p); });
        // A menu item joins the menu it is declared in; the form owns it.
        t.classes.insert(QStringLiteral("TMenuItem"), [](QObject* owner, QWidget* p) -> QObject* {
            auto* item = new TMenuItem(owner);
            if (auto* menu = qobject_cast<QMenu*>(p)) menu->addAction(item);
            return item;
        });
        addStandardAdapters(t.adapters);
        return true;
    }();
    (void)standard;
    return t;
}
} // namespace

void add(const QString& className, Factory factory) {
    tables().classes.insert(className, std::move(factory));
}
bool contains(const QString& className) {
    return tables().classes.contains(className);
}
QObject* create(const QString& className, QObject* owner, QWidget* parent) {
    const auto it = tables().classes.constFind(className);
    if (it == tables().classes.constEnd()) return nullptr;
    return (*it)(owner, parent);
}

void addPropertyAdapter(const QMetaObject& cls, PropertyAdapter adapter) {
    tables().adapters.insert(&cls, std::move(adapter));
}
PropertyAdapter propertyAdapter(const QMetaObject& cls) {
    return tables().adapters.value(&cls);
}
} // namespace FormClassRegistry

// ---------------------------------------------------------------------------------------------
// Windows

namespace FormWindowRegistry {
namespace {
QHash<QString, Factory>& windows() {
    static QHash<QString, Factory> w;
    return w;
}
} // namespace

void add(const QString& resourcePath, Factory factory) {
    windows().insert(resourcePath, std::move(factory));
}
Factory find(const QString& resourcePath) {
    return windows().value(resourcePath);
}
QStringList resourcePaths() {
    QStringList paths = windows().keys();
    paths.sort();
    return paths;
}
} // namespace FormWindowRegistry
