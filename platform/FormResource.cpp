#include "platform/FormResource.h"

#include <QDirIterator>
#include <QFile>

// The form descriptions are compiled into a static library: name them here so the linker keeps them.
static void initFormResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(forms);
        return true;
    }();
    (void)done;
}

void LoadFormResource(QWidget* form, const QString& resourcePath) {
    initFormResources();
    QFile f(resourcePath);
    if (!f.open(QIODevice::ReadOnly))
        throw FormResourceError(QStringLiteral("Form description %1 not found").arg(resourcePath));
    LoadFormDescription(form, ParseFormDescription(f.readAll()));
}

QObject* FindFormObject(const QObject* form, const QString& name) {
    QObject* o = form->findChild<QObject*>(name);
    if (!o) throw FormResourceError(QStringLiteral("The form has no object %1").arg(name));
    return o;
}

QStringList FormResourcePaths() {
    initFormResources();
    QStringList paths;
    QDirIterator it(QStringLiteral(":/forms"), {QStringLiteral("*.form")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    paths.sort();
    return paths;
}
