// The tree stands in layers, and every unit includes only units of its own layer or below:
//
//   platform < components, skin < skin-extra < resources (the picture generator draws with the
//   skin's theme writer) < common (what both programs' windows share) < tools < recorder, ripper
//
// Folders of one rank never include each other (the recorder and the ripper share only what lies
// below them). Inside the skin, its units stand in layers of their own: the model (theme elements,
// theme files, built-in styles), the theme manager, the public drawing helpers, the controls, and
// the registration on top. Each program's assembly (its `main` and window creation) is included by
// nothing. Across the whole tree the includes between units never form a circle.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <functional>

#include <gtest/gtest.h>

namespace {

const QHash<QString, int>& FolderRanks() {
    static const QHash<QString, int> ranks{
        {"platform", 0}, {"components", 1}, {"skin", 1},     {"skin-extra", 2}, {"resources/generator", 3},
        {"common", 4},   {"tools", 5},      {"recorder", 6}, {"ripper", 6}};
    return ranks;
}

QString FolderOf(const QString& unit) {
    return unit.section(u'/', 0, -2);
}

int SkinLayerOf(const QString& name) {
    static const QHash<QString, int> fixed{{"SKElements", 0}, {"SKThemeFile", 0}, {"SKThemeWriter", 0},
                                           {"SKThemes", 0},   {"SKMgr", 1},       {"SKPublic", 2}};
    if (fixed.contains(name)) return fixed.value(name);
    if (name.contains(QStringLiteral("Register"))) return 4;
    return 3; // the controls
}

// Unit ("folder/Name") -> the units its header and source include.
QHash<QString, QSet<QString>> Includes() {
    QHash<QString, QSet<QString>> graph;
    const QRegularExpression include(QStringLiteral(R"(^#include "([\w/-]+)\.h")"),
                                     QRegularExpression::MultilineOption);
    const QDir root(QStringLiteral(SUITE_SOURCE_DIR));
    for (auto folder = FolderRanks().begin(); folder != FolderRanks().end(); ++folder) {
        const QDir dir(root.filePath(folder.key()));
        for (const QFileInfo& file : dir.entryInfoList({"*.h", "*.cpp"}, QDir::Files)) {
            QFile f(file.filePath());
            if (!f.open(QIODevice::ReadOnly)) continue;
            const QString unit = folder.key() + u'/' + file.completeBaseName();
            QSet<QString>& uses = graph[unit];
            for (auto it = include.globalMatch(QString::fromUtf8(f.readAll())); it.hasNext();) {
                QString used = it.next().captured(1);
                if (!used.contains(u'/')) used = folder.key() + u'/' + used;
                if (used != unit) uses.insert(used);
            }
        }
    }
    return graph;
}

} // namespace

TEST(Layers, FoldersLookDownOnlyAndUnitsFormNoCircles) {
    const QHash<QString, QSet<QString>> graph = Includes();
    for (const char* unit : {"platform/Form", "components/CdDisc", "skin/SKThemes", "skin/SKRegister",
                             "common/GlobeVar", "tools/Player", "recorder/Videzeva", "ripper/Duzivuz"})
        ASSERT_TRUE(graph.contains(QLatin1String(unit))) << unit;

    const QSet<QString> assembly{QStringLiteral("recorder/Videzeva"), QStringLiteral("ripper/Duzivuz")};
    for (auto it = graph.begin(); it != graph.end(); ++it) {
        const QString from = FolderOf(it.key());
        for (const QString& used : it.value()) {
            const QString to = FolderOf(used);
            EXPECT_FALSE(assembly.contains(used))
                << it.key().toStdString() << " includes the program " << used.toStdString();
            const QSet<QString> skin{QStringLiteral("skin"), QStringLiteral("skin-extra")};
            if (skin.contains(from) && skin.contains(to)) {
                EXPECT_LE(SkinLayerOf(used.section(u'/', -1)), SkinLayerOf(it.key().section(u'/', -1)))
                    << it.key().toStdString() << " includes " << used.toStdString()
                    << " of a higher skin layer";
            }
            if (to == from) continue;
            ASSERT_TRUE(FolderRanks().contains(to))
                << it.key().toStdString() << " includes " << used.toStdString();
            EXPECT_LT(FolderRanks().value(to), FolderRanks().value(from))
                << it.key().toStdString() << " includes " << used.toStdString()
                << " of its own rank or above";
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
        if (state.value(it.key()) == 0 && visit(it.key(), path)) {
            ADD_FAILURE() << "circle: " << path.join(QStringLiteral(" -> ")).toStdString();
            break; // the units left on the path would show circles that are not there
        }
    }
}
