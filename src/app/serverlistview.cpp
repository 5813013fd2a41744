#include "app/serverlistview.h"

#include "app/twips.h"

#include <QHeaderView>

#include <array>

namespace {

struct Column
{
    const char* header;
    int widthTwips;
};

constexpr std::array<Column, 7> columns{{
    {"Server", 2200},
    {"IP Address", 1440},
    {"Map", 1600},
    {"Players", 700},
    {"Version", 700},
    {"Mod", 1440},
    {"Ping", 700},
}};

} // namespace

ServerListView::ServerListView(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setColumnCount(int(columns.size()));
    QStringList headers;
    for (const Column& column : columns)
        headers << QString::fromLatin1(column.header);
    setHeaderLabels(headers);
    for (int i = 0; i < int(columns.size()); ++i)
        setColumnWidth(i, twipsToPixels(columns[i].widthTwips));
    header()->setSectionsMovable(false);
}
