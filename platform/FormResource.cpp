#include "platform/FormResource.h"

#include "platform/FormClassRegistry.h"
#include "platform/FormParser.h"

#include <QDirIterator>
#include <QFile>
#include <QThreadPool>

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

namespace {

// The resource paths of pictures among the description's text values, every object included.
void collectPicturePaths(const FormNode& node, QStringList& paths) {
    for (const auto& [name, value] : node.properties) {
        if (value.typeId() != QMetaType::QString) continue;
        const QString text = value.toString();
        if (text.startsWith(QLatin1String(":/")) &&
            (text.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ||
             text.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)))
            paths.append(text);
    }
    for (const FormNode& child : node.children)
        collectPicturePaths(child, paths);
}

QThreadPool& prefetchPool() {
    // Made after the picture store (see PrefetchFormPictures), so it is destroyed before it, waiting
    // for its work first.
    static QThreadPool pool;
    return pool;
}

} // namespace

void PrefetchFormPictures(const QStringList& resourcePaths) {
    initFormResources();
    FormValue::KeepDecodedPicture(QString(), QImage()); // the store exists before the pool
    prefetchPool().setMaxThreadCount(1);
    prefetchPool().start([resourcePaths] {
        for (const QString& resourcePath : resourcePaths) {
            QFile f(resourcePath);
            if (!f.open(QIODevice::ReadOnly)) continue;
            QStringList pictures;
            try {
                collectPicturePaths(ParseFormDescription(f.readAll()), pictures);
            } catch (const std::exception&) {
                continue; // the window's own loading reports it
            }
            pictures.removeDuplicates();
            for (const QString& picture : pictures)
                FormValue::KeepDecodedPicture(picture, QImage(picture));
        }
    });
}

void WaitForPrefetchedPictures() {
    prefetchPool().waitForDone();
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
