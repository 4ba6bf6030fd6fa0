#include "platform/FormBuilder.h"

#include "platform/Application.h"
#include "platform/FormClassRegistry.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <utility>

namespace {

// A property that names another object of the form (FileTheme = themeMp10): set once every object
// exists, so the named object may come later in the description.
struct Reference {
    QObject* object;
    int propertyIndex;
    QString target;
    const FormNode* node;
};

bool isObjectReference(const QMetaProperty& p) {
    return (p.metaType().flags() & QMetaType::PointerToQObject) != 0;
}

struct Geometry {
    std::optional<int> left, top, width, height, clientWidth, clientHeight;
};

[[noreturn]] void failAt(const FormNode& node, const QString& what) {
    throw FormResourceError(
        QStringLiteral("Form description, %1 (line %2): %3").arg(node.name).arg(node.line).arg(what));
}

QString lowerFirst(const QString& s) {
    return s.isEmpty() ? s : s.left(1).toLower() + s.mid(1);
}

bool writeMetaProperty(QObject* o, const QMetaProperty& p, const QVariant& value) {
    const int type = p.metaType().id();
    QVariant v = value;
    if (v.userType() == qMetaTypeId<FormIdent>()) {
        const QString key = v.value<FormIdent>().name;
        if (p.isEnumType()) {
            bool ok = false;
            const int e = p.enumerator().keyToValue(key.toLatin1().constData(), &ok);
            if (!ok) return false;
            return p.write(o, QVariant(e));
        }
        v = QVariant(key);
    } else if (v.userType() == qMetaTypeId<FormSet>()) {
        const QStringList members = v.value<FormSet>().members;
        if (p.isFlagType()) {
            bool ok = true;
            const int e = members.isEmpty()
                              ? 0
                              : p.enumerator().keysToValue(members.join(u'|').toLatin1().constData(), &ok);
            return ok && p.write(o, QVariant(e));
        }
        v = QVariant(members);
    }
    if (v.typeId() == QMetaType::QString) {
        // Pictures come from their paths (resources such as ":/pictures/logo.png").
        if (type == QMetaType::QPixmap)
            return p.write(o, QVariant(QPixmap::fromImage(FormValue::toPicture(v, p.name()))));
        if (type == QMetaType::QImage) return p.write(o, QVariant(FormValue::toPicture(v, p.name())));
        if (type == QMetaType::QIcon)
            return p.write(o, QVariant(QIcon(QPixmap::fromImage(FormValue::toPicture(v, p.name())))));
        // Embedded data may also come from a resource: the whole file.
        if (type == QMetaType::QByteArray && v.toString().startsWith(QLatin1String(":/"))) {
            QFile file(v.toString());
            if (!file.open(QIODevice::ReadOnly))
                throw FormResourceError(
                    QStringLiteral("%1: %2 cannot be read").arg(QLatin1String(p.name()), v.toString()));
            return p.write(o, QVariant(file.readAll()));
        }
    }
    if (type == QMetaType::QColor && (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong))
        return p.write(o, QVariant(FormValue::toColor(v, p.name())));
    if (!v.canConvert(p.metaType())) return false;
    v.convert(p.metaType());
    return p.write(o, v);
}

// The property `name` of `o`: offered to the object's class and then each base class in turn, at
// each class first to its adapter, then to the Q_PROPERTYs that class declares itself.
void applyProperty(QObject* o, const FormNode& node, const QString& name, const QVariant& v, Geometry& geo,
                   QList<Reference>& references) {
    auto asInt = [&] {
        try {
            return FormValue::toInt(v, name);
        } catch (const FormResourceError& e) {
            failAt(node, QString::fromUtf8(e.what()));
        }
    };
    if (name == QLatin1String("Left")) return void(geo.left = asInt());
    if (name == QLatin1String("Top")) return void(geo.top = asInt());
    if (name == QLatin1String("Width")) return void(geo.width = asInt());
    if (name == QLatin1String("Height")) return void(geo.height = asInt());
    if (name == QLatin1String("ClientWidth")) return void(geo.clientWidth = asInt());
    if (name == QLatin1String("ClientHeight")) return void(geo.clientHeight = asInt());

    const QByteArray exact = name.toLatin1();
    const QByteArray lower = lowerFirst(name).toLatin1();
    for (const QMetaObject* mo = o->metaObject(); mo; mo = mo->superClass()) {
        try {
            if (const auto adapter = FormClassRegistry::propertyAdapter(*mo); adapter && adapter(o, name, v))
                return;
        } catch (const FormResourceError& e) {
            failAt(node, QString::fromUtf8(e.what()));
        }
        int index = mo->indexOfProperty(exact.constData());
        if (index < 0) index = mo->indexOfProperty(lower.constData());
        if (index < mo->propertyOffset()) continue; // not declared by this class
        const QMetaProperty p = mo->property(index);
        if (!p.isWritable()) continue;
        if (isObjectReference(p)) {
            if (v.userType() != qMetaTypeId<FormIdent>())
                failAt(node, QStringLiteral("%1 wants an object name").arg(name));
            references.append({o, index, v.value<FormIdent>().name, &node});
            return;
        }
        try {
            if (writeMetaProperty(o, p, v)) return;
        } catch (const FormResourceError& e) {
            failAt(node, QString::fromUtf8(e.what()));
        }
        failAt(node, QStringLiteral("bad value for %1").arg(name));
    }
    failAt(node, QStringLiteral("unknown property %1 of %2").arg(name, node.className));
}

void applyGeometry(QWidget* w, const Geometry& g, bool isRoot) {
    const int width = g.clientWidth.value_or(g.width.value_or(w->width()));
    const int height = g.clientHeight.value_or(g.height.value_or(w->height()));
    if (isRoot) {
        w->resize(width, height);
        if (g.left && g.top) w->move(*g.left, *g.top);
    } else {
        w->setGeometry(g.left.value_or(w->x()), g.top.value_or(w->y()), width, height);
    }
}

// A window's client size, given once its controls exist: a frame one of them keeps around the
// client area (the window's contents margins) lies outside it, so the window is that much larger.
void applyClientSize(QWidget* w, const Geometry& g) {
    if (!g.clientWidth && !g.clientHeight) return;
    const QMargins frame = w->contentsMargins();
    w->resize(g.clientWidth ? *g.clientWidth + frame.left() + frame.right() : w->width(),
              g.clientHeight ? *g.clientHeight + frame.top() + frame.bottom() : w->height());
}

struct Binding {
    QObject* sender;
    QString event;
    QString handler;
    const FormNode* node;
};

// The signal an event stands for: the class's own signal of the event's name, or the standard one.
QMetaMethod findSignal(const QObject* o, const QString& event) {
    const QMetaObject* mo = o->metaObject();
    for (int i = 0; i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if (m.methodType() == QMetaMethod::Signal && QLatin1String(m.name()) == event) return m;
    }
    static const QHash<QString, QStringList> standard{
        {"OnClick", {"clicked()"}},
        {"OnTimer", {"timeout()"}},
        {"OnChange",
         {"textChanged(QString)", "currentIndexChanged(int)", "valueChanged(int)", "textChanged()"}},
        {"OnDblClick", {"doubleClicked(QModelIndex)"}},
    };
    for (const QString& sig : standard.value(event)) {
        const int i =
            mo->indexOfSignal(QMetaObject::normalizedSignature(sig.toLatin1().constData()).constData());
        if (i >= 0) return mo->method(i);
    }
    return {};
}

QMetaMethod findHandler(const QObject* form, const QString& handler, const QMetaMethod& signal) {
    const QMetaObject* mo = form->metaObject();
    for (int i = 0; i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if (QLatin1String(m.name()) != handler || m.methodType() == QMetaMethod::Signal) continue;
        if (m.parameterCount() > signal.parameterCount()) continue;
        bool same = true;
        for (int p = 0; p < m.parameterCount(); ++p)
            same = same && m.parameterType(p) == signal.parameterType(p);
        if (same) return m;
    }
    return {};
}

// One bound handler: the event's signal is connected to this object, which calls the form's slot
// with the signal's arguments inside RunGuarded, so an exception from the handler never unwinds
// through the control or component that raised the event. It belongs to the form, so the binding
// ends with the form.
class GuardedHandler : public QObject {
public:
    GuardedHandler(QObject* form, QObject* sender, const QString& event, const QMetaMethod& slot)
        : QObject(form), m_form(form),
          m_slot(slot.methodIndex()), m_record{sender, event, QString::fromLatin1(slot.name())} {}

    // The method index the signal is connected to: one past QObject's own methods.
    static int callIndex() { return QObject::staticMetaObject.methodCount(); }

    int qt_metacall(QMetaObject::Call call, int id, void** args) override {
        if (call == QMetaObject::InvokeMetaMethod && id == callIndex()) {
            if (m_form)
                RunGuarded(
                    [&] { QMetaObject::metacall(m_form, QMetaObject::InvokeMetaMethod, m_slot, args); });
            return -1;
        }
        return QObject::qt_metacall(call, id, args);
    }

    const FormBindingRecord& record() const { return m_record; }

private:
    QPointer<QObject> m_form;
    int m_slot;
    FormBindingRecord m_record;
};

bool bindGuarded(QObject* sender, const QString& event, const QMetaMethod& signal, QObject* form,
                 const QMetaMethod& slot) {
    auto* handler = new GuardedHandler(form, sender, event, slot);
    const QMetaObject::Connection c = QMetaObject::connect(sender, signal.methodIndex(), handler,
                                                           GuardedHandler::callIndex(), Qt::DirectConnection);
    if (c) return true;
    delete handler;
    return false;
}

void build(QWidget* form, QObject* object, const FormNode& node, bool isRoot, QList<Binding>& bindings,
           QList<Reference>& references) {
    Geometry geo;
    for (const auto& [name, value] : node.properties) {
        if (name.startsWith(QLatin1String("On")) && name.size() > 2 && name[2].isUpper()) {
            if (value.userType() != qMetaTypeId<FormIdent>())
                failAt(node, QStringLiteral("%1 wants a handler name").arg(name));
            bindings.append({object, name, value.value<FormIdent>().name, &node});
            continue;
        }
        applyProperty(object, node, name, value, geo, references);
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget) applyGeometry(widget, geo, isRoot);
    QWidget* parentForChildren = widget ? widget : form;
    for (const FormNode& child : node.children) {
        QObject* o = FormClassRegistry::create(child.className, form, parentForChildren);
        if (!o) failAt(child, QStringLiteral("unknown class %1").arg(child.className));
        o->setObjectName(child.name);
        if (!qobject_cast<QWidget*>(o) && o->parent() != form) o->setParent(form);
        build(form, o, child, false, bindings, references);
    }
    if (widget && isRoot) applyClientSize(widget, geo);
}

// The windows built from descriptions, in the order built, so another window's description can
// name their components; a destroyed window drops out.
QList<QPointer<QWidget>>& builtForms() {
    static QList<QPointer<QWidget>> forms;
    return forms;
}

QWidget* findBuiltForm(const QString& name) {
    QList<QPointer<QWidget>>& forms = builtForms();
    forms.removeIf([](const QPointer<QWidget>& f) { return f.isNull(); });
    for (auto it = forms.crbegin(); it != forms.crend(); ++it)
        if ((*it)->objectName() == name) return *it;
    return nullptr;
}

MissingWindowStandIn& missingWindowStandIn() {
    static MissingWindowStandIn standIn;
    return standIn;
}

} // namespace

void LoadFormDescription(QWidget* form, const FormNode& root) {
    if (form->objectName().isEmpty()) form->setObjectName(root.name);
    QList<Binding> bindings;
    QList<Reference> references;
    build(form, form, root, true, bindings, references);
    for (const Reference& r : references) {
        const QMetaProperty p = r.object->metaObject()->property(r.propertyIndex);
        QObject* target = nullptr;
        try {
            target = ResolveFormReference(form, r.target, p.metaType().metaObject());
        } catch (const FormResourceError& e) {
            failAt(*r.node,
                   QStringLiteral("%1 %2").arg(QLatin1String(p.name()), QString::fromUtf8(e.what())));
        }
        // A variant of the property's own pointer type, holding the target.
        if (!p.write(r.object, QVariant(p.metaType(), &target)))
            failAt(*r.node, QStringLiteral("bad value for %1").arg(QLatin1String(p.name())));
    }
    for (const Binding& b : bindings) {
        const QMetaMethod signal = findSignal(b.sender, b.event);
        if (!signal.isValid())
            failAt(*b.node, QStringLiteral("%1 has no event %2").arg(b.node->className, b.event));
        const QMetaMethod slot = findHandler(form, b.handler, signal);
        if (!slot.isValid()) failAt(*b.node, QStringLiteral("no handler %1 for %2").arg(b.handler, b.event));
        if (!bindGuarded(b.sender, b.event, signal, form, slot))
            failAt(*b.node, QStringLiteral("%1 cannot be bound to %2").arg(b.event, b.handler));
    }
    builtForms().append(form);
}

QObject* ResolveFormReference(QWidget* form, const QString& name, const QMetaObject* wanted) {
    const qsizetype dot = name.indexOf(u'.');
    const QString windowName = dot < 0 ? form->objectName() : name.left(dot);
    const QString component = dot < 0 ? name : name.mid(dot + 1);
    QObject* target = nullptr;
    if (windowName == form->objectName()) {
        target = component == form->objectName() ? form : form->findChild<QObject*>(component);
        if (!target) throw FormResourceError(QStringLiteral("names no object %1").arg(name));
    } else if (QWidget* window = findBuiltForm(windowName)) {
        target = window->findChild<QObject*>(component);
        if (!target)
            throw FormResourceError(QStringLiteral("names %1, but the window %2 has no component %3")
                                        .arg(name, windowName, component));
    } else {
        if (const MissingWindowStandIn& standIn = missingWindowStandIn())
            target = standIn(form, windowName, component, wanted);
        if (!target)
            throw FormResourceError(
                QStringLiteral("names %1, but there is no window %2").arg(name, windowName));
    }
    if (wanted && !target->metaObject()->inherits(wanted))
        throw FormResourceError(QStringLiteral("cannot be %1 (a %2, not a %3)")
                                    .arg(name, QLatin1String(target->metaObject()->className()),
                                         QLatin1String(wanted->className())));
    return target;
}

void SetMissingWindowStandIn(MissingWindowStandIn standIn) {
    missingWindowStandIn() = std::move(standIn);
}

QList<FormBindingRecord> FormBindings(const QWidget* form) {
    QList<FormBindingRecord> records;
    for (QObject* child : form->children())
        if (const auto* handler = dynamic_cast<const GuardedHandler*>(child)) records << handler->record();
    return records;
}
