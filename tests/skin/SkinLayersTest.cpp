// The skin library's units stand in layers, each depending only on the layers below it: the model
// (theme elements, theme files, built-in styles), the theme components with the resolution rule,
// the drawing helpers, the controls, and the registration on top. No unit may include one of a
// higher layer, and the includes between units never form a circle.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <functional>

#include <gtest/gtest.h>

namespace {

int LayerOf(const QString& unit) {
    static const QHash<QString, int> fixed{{"SKElements", 0}, {"SKThemeFile", 0}, {"SKThemeWriter", 0},
                                           {"SKThemes", 0},   {"SKMgr", 1},       {"SKPublic", 2}};
    if (fixed.contains(unit)) return fixed.value(unit);
    if (unit.contains(QStringLiteral("Register"))) return 4;
    return 3; // the controls
}

// Unit -> the library units its header and source include.
QHash<QString, QSet<QString>> Includes() {
    QHash<QString, QSet<QString>> graph;
    const QRegularExpression include(QStringLiteral(R"(^#include "skin(?:-extra)?/(\w+)\.h")"),
                                     QRegularExpression::MultilineOption);
    for (const char* folder : {"skin", "skin-extra"}) {
        const QDir dir(QStringLiteral(SUITE_SOURCE_DIR) + u'/' + QLatin1String(folder));
        for (const QFileInfo& file : dir.entryInfoList({"*.h", "*.cpp"}, QDir::Files)) {
            QFile f(file.filePath());
            if (!f.open(QIODevice::ReadOnly)) continue;
            const QString text = QString::fromUtf8(f.readAll());
            QSet<QString>& uses = graph[file.completeBaseName()];
            for (auto it = include.globalMatch(text); it.hasNext();) {
                const QString used = it.next().captured(1);
                if (used != file.completeBaseName()) uses.insert(used);
            }
        }
    }
    return graph;
}

} // namespace

TEST(SkinLayers, UnitsDependOnlyDownwardAndWithoutCircles) {
    const QHash<QString, QSet<QString>> graph = Includes();
    ASSERT_TRUE(graph.contains(QStringLiteral("SKThemes")));
    ASSERT_TRUE(graph.contains(QStringLiteral("SKRegister")));
    for (auto it = graph.begin(); it != graph.end(); ++it) {
        for (const QString& used : it.value()) {
            EXPECT_LE(LayerOf(used), LayerOf(it.key()))
                << it.key().toStdString() << " includes " << used.toStdString() << " of a higher layer";
        }
    }
    // Depth-first search for a circle.
    QHash<QString, int> state; // 1 on the path, 2 done
    std::function<bool(const QString&, QStringList&)> visit = [&](const QString& unit, QStringList& path) {
        state[unit] = 1;
        path.append(unit);
        for (const QString& used : graph.value(unit)) {
            if (state.value(used) == 1) {
                path.append(used);
                return true;
            }
            if (state.value(used) == 0 && visit(used, path)) return true;
        }
        path.removeLast();
        state[unit] = 2;
        return false;
    };
    for (auto it = graph.begin(); it != graph.end(); ++it) {
        QStringList path;
        if (state.value(it.key()) == 0 && visit(it.key(), path))
            ADD_FAILURE() << "circle: " << path.join(QStringLiteral(" -> ")).toStdString();
    }
}
